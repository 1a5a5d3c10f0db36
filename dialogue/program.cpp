#include "dialogue/program.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <new>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "damage/assess.hpp"
#include "dialogue/dialogue.hpp"
#include "dialogue/run_end.hpp"
#include "files/unit_table.hpp"
#include "report/report.hpp"
#include "series/series.hpp"
#include "sncurve/catalogue.hpp"
#include "sncurve/definition.hpp"
#include "sncurve/record.hpp"
#include "textio/datestamp.hpp"
#include "textio/format.hpp"
#include "textio/line_error.hpp"
#include "textio/lines.hpp"
#include "textio/text.hpp"

namespace skaldur::dialogue {
namespace {

using textio::format_fixed;
using textio::format_int;

// The frame's lines after their leading blank, 58 characters each.
constexpr std::array<std::string_view, 13> kBannerText = {
    "          ================================================",
    "          -                                              -",
    "          -          ====  S K A L D U R  ====           -",
    "          -                                              -",
    "          -     Computes Accumulated Damage per Year     -",
    "          -     for one Stress Time Series.              -",
    "          -     Time Series is specified on one file and -",
    "          -     the SN-Data is specified on a separate   -",
    "          -     file.                                    -",
    "          -              Version 1.2/ 2006-01-05         -",
    "          -                                              -",
    "          -     Help: README.md beside the program       -",
    "          ================================================",
};

constexpr bool banner_lines_fit() {
  for (std::string_view line : kBannerText) {
    if (line.size() != 58) return false;
  }
  return true;
}
static_assert(banner_lines_fit(), "every framed banner line is 58 characters");

void write_banner(std::ostream& out) {
  out << std::string(54, ' ') << '\n';
  for (int i = 0; i < 3; ++i)
    out << std::string(59, ' ') << '\n';
  for (std::string_view line : kBannerText)
    out << ' ' << line << '\n';
  for (int i = 0; i < 3; ++i)
    out << std::string(59, ' ') << '\n';
}

// Everything the dialogue settles before the series is read.
struct Settings {
  std::string print_name;
  std::string series_name;
  series::TimeWindow window;
  double force_unit_factor = 1.0e-6;
  double scf = 1.0;
  double thickness = 0.0;
  std::int32_t blocks_asked = 0;
};

Settings ask_settings(Dialogue& dialogue, files::UnitTable& units) {
  Settings s;
  s.print_name = dialogue.ask_file(kQ1, files::kPrintUnit, 0, kCannotOpenFile);
  s.series_name = dialogue.ask_file(kQ2, files::kSeriesUnit, 1, kNonexistingFile);
  if (units.identity(files::kSeriesUnit) == units.identity(files::kPrintUnit)) {
    throw RunEnd{kExitBadInput, "skaldur: the time-series file '" +
                                    std::string(textio::trimmed(s.series_name)) +
                                    "' is the print file; nothing was written"};
  }
  s.window.first_time = dialogue.ask_real(kQ3, 0.0);
  s.window.last_time = dialogue.ask_real(kQ4, 1.0e30);
  const char unit = dialogue.ask_letter(kQ5);
  s.force_unit_factor = (unit == 'm' || unit == 'M') ? 1.0 : 1.0e-6;
  s.scf = dialogue.ask_real(kQ6, 1.0);
  s.thickness = dialogue.ask_real(kQ7, 0.0);
  s.blocks_asked = dialogue.ask_whole(kQ8, 0);
  if (s.blocks_asked > damage::kMostBlocks) {
    dialogue.note(std::to_string(s.blocks_asked) + " blocks asked for at question 8: " +
                  std::to_string(damage::kMostBlocks) + " blocks, the most there can be, are used");
  }
  return s;
}

// Asks for the column until it is one of the stress columns found.
int ask_column(Dialogue& dialogue, int columns) {
  std::ostream& out = dialogue.out();
  out << '\n' << format_int(columns, 10) << " Columns found ...\n\n";
  while (true) {
    const std::int32_t column = dialogue.ask_whole(kQ12, 2);
    if (column >= 2 && column <= columns) return column;
    out << " Illegal Column   :" << format_int(column, 4) << '\n';
  }
}

// Reads the series file up to its first accepted line, asks question 12 when
// there is one, and reads the column asked for.
series::Record read_time_series(Dialogue& dialogue, files::UnitTable& units,
                                const Settings& settings) {
  textio::LineReader lines(units.descriptor(files::kSeriesUnit));
  const auto unreadable = [&](const textio::LineError& error) {
    return RunEnd{kExitBadInput,
                  "skaldur: " + textio::describe(error, textio::trimmed(settings.series_name))};
  };
  auto opening = series::open_record(lines, settings.window);
  if (!opening) throw unreadable(opening.error());
  std::vector<int> columns;
  const int found = opening->layout().columns;
  if (found > 0) columns.push_back(ask_column(dialogue, found));
  auto record = series::read_record(lines, std::move(opening).value(), columns);
  if (!record) throw unreadable(record.error());
  std::ostream& out = dialogue.out();
  out << " Number of steps in Time Series:" << format_int(record->n_steps, 12) << '\n';
  out << " Simulation Length             :" << format_fixed(record->simulation_length, 12, 3)
      << '\n';
  return std::move(record).value();
}

// Lists the catalogue on the console.
void list_catalogue(std::ostream& out, const sncurve::Catalogue& catalogue) {
  out << std::string(54, ' ') << '\n';
  out << ' ' << "          Available SN-Curves:  (Totally " << format_int(catalogue.count, 4)
      << " curves) \n";
  out << std::string(59, ' ') << '\n';
  for (int i = 1; i <= catalogue.count; ++i) {
    out << format_int(i, 3) << " : " << sncurve::display_name(catalogue, i).value() << '\n';
  }
  out << "   \n";
}

// The SN curve of the run: a catalogue curve, or a definition file to read.
struct CurveChoice {
  bool from_file = false;
  std::string file_name;  // definition file (question 11)
  std::string name;       // catalogue curve, 23 characters; the file's title once read
};

// The line that names the curve of the run, on the console and in the report:
// the name of a catalogue curve, or a definition file's title (or title line)
// without its trailing blanks.
std::string curve_line(bool from_file, std::string_view name) {
  if (from_file) return " User Defined SN-Curve         : " + std::string(textio::trimmed(name));
  return " Selected SN-Curve             : " + std::string(name);
}

void show_curve_line(std::ostream& out, bool from_file, std::string_view name) {
  out << '\n' << curve_line(from_file, name) << '\n';
}

CurveChoice choose_curve(Dialogue& dialogue, files::UnitTable& units,
                         const sncurve::Catalogue& catalogue, sncurve::Record& record) {
  CurveChoice choice;
  std::ostream& out = dialogue.out();
  list_catalogue(out, catalogue);
  if (dialogue.ask_letter(kQ9) == 'n') {
    choice.from_file = true;
    choice.file_name = dialogue.ask_file(kQ11, files::kCurveUnit, 1, kNonexistingFile);
    if (units.identity(files::kCurveUnit) == units.identity(files::kPrintUnit)) {
      throw RunEnd{kExitBadInput, "skaldur: the SN-curve file '" +
                                      std::string(textio::trimmed(choice.file_name)) +
                                      "' is the print file; nothing was written"};
    }
    return choice;
  }
  while (true) {
    const std::int32_t n = dialogue.ask_whole_across_lines(kQ10);
    if (n >= 1 && n <= catalogue.count) {
      static_cast<void>(sncurve::copy_curve(catalogue, n, record).value());
      choice.name = sncurve::display_name(catalogue, n).value();
      break;
    }
    out << " Illegal SN-Curve :" << format_int(n, 4) << '\n';
  }
  show_curve_line(out, choice.from_file, choice.name);
  return choice;
}

// Reads the SN curve of the definition file into the working record and its
// title into the choice. The whole title line is shown as soon as it is read,
// before a later line can be refused.
void read_curve_file(Dialogue& dialogue, files::UnitTable& units, CurveChoice& choice,
                     sncurve::Record& record) {
  textio::LineReader lines(units.descriptor(files::kCurveUnit));
  const auto refused = [&](const textio::LineError& error) {
    return RunEnd{kExitBadInput,
                  "skaldur: " + textio::describe(error, textio::trimmed(choice.file_name))};
  };
  const auto title_line = sncurve::read_title_line(lines);
  if (!title_line) throw refused(title_line.error());
  show_curve_line(dialogue.out(), choice.from_file, *title_line);
  const auto curve = sncurve::read_curve_lines(lines, record);
  if (!curve) throw refused(curve.error());
  choice.name = sncurve::title_of(*title_line);
}

// Questions 13 to 16 and the files they ask for. Outputs may not overwrite
// the input files, nor the summary just written: such a name is refused and
// asked for again.
void ask_histogram_files(Dialogue& dialogue, files::UnitTable& units,
                         const damage::Assessment& result, const report::RunFacts& facts) {
  const std::array<int, 3> kept = {files::kSeriesUnit, files::kCurveUnit, files::kPrintUnit};
  if (dialogue.ask_letter(kQ13) == 'y') {
    dialogue.ask_output_file(kQ14, files::kOutputSlot, kept);
    report::write_plot_file(*units.output(files::kOutputSlot), result, facts);
  }
  if (dialogue.ask_letter(kQ15) == 'y') {
    const auto yearly = damage::yearly_factor(facts.simulation_length);
    if (!yearly) {
      dialogue.out() << " No cycles per year: simulation length below 0.5\n";
      return;
    }
    dialogue.ask_output_file(kQ16, files::kOutputSlot, kept);
    report::write_cycles_per_year(*units.output(files::kOutputSlot), result, facts, *yearly);
  }
}

// ask -> read -> assess -> report.
int run(files::UnitTable& units, std::ostream& err) {
  const std::string date_stamp = textio::padded(textio::DATSTMP(80, 6), 256);
  const auto catalogue = sncurve::builtin_catalogue();
  if (!catalogue) {
    err << "skaldur: the built-in SN-curve catalogue could not be built\n";
    return kExitFailed;
  }
  Dialogue dialogue(units, err);
  write_banner(dialogue.out());
  const Settings settings = ask_settings(dialogue, units);
  sncurve::Record record{};
  CurveChoice curve = choose_curve(dialogue, units, *catalogue, record);
  series::Record data = read_time_series(dialogue, units, settings);
  if (curve.from_file) read_curve_file(dialogue, units, curve, record);

  // The series is needed for nothing after the computation, so its own
  // storage (grown to the work size, for the block counts) is the work
  // array: the turning points are written behind the values still to be read.
  std::vector<float> stresses =
      data.columns.empty() ? std::vector<float>{} : std::move(data.columns.front());
  const std::size_t n_steps = stresses.size();
  stresses.resize(damage::work_size(n_steps), 0.0f);
  const auto result = damage::assess(std::span<const float>(stresses.data(), n_steps), stresses,
                                     record, {settings.thickness, settings.scf},
                                     {settings.force_unit_factor, settings.blocks_asked});
  std::ostream& print = *units.output(files::kPrintUnit);
  if (!result) {
    print << result.error().print_text;
    print.flush();
    const std::string_view name = textio::trimmed(settings.print_name);
    err << "skaldur: the damage computation failed; its messages are in the print file '"
        << printable(name, name.size()) << "'\n";
    return kExitFailed;
  }

  report::RunFacts facts;
  facts.date_stamp = date_stamp;
  facts.n_steps = data.n_steps;
  facts.simulation_length = data.simulation_length;
  facts.force_unit_factor = settings.force_unit_factor;
  facts.scf = settings.scf;
  facts.curve_line = curve_line(curve.from_file, curve.name);
  facts.record = record;
  report::write_console_results(dialogue.out(), *result, facts);
  report::write_summary(print, *result, facts);
  ask_histogram_files(dialogue, units, *result, facts);
  // Stresses far beyond any SN curve overflow the Miner sum: the lines above
  // show it as the rules format it, but the run has not computed a damage.
  const auto per_year = damage::damage_per_year(result->damage, facts.simulation_length);
  if (!std::isfinite(result->damage) || (per_year && !std::isfinite(*per_year))) {
    err << "skaldur: the damage computation failed: the damage"
        << (std::isfinite(result->damage) ? " per year" : "")
        << " is not a finite number; check the stress unit and the SCF\n";
    return kExitFailed;
  }
  return kExitOk;
}

// The run on its unit table: the files are closed on every end but an
// exception, which leaves them to the table's destructor.
int run_on_units(std::istream& in, std::ostream& out, std::ostream& err) {
  files::UnitTable units(in, out);
  int status = kExitOk;
  try {
    status = run(units, err);
  } catch (const RunEnd& end) {
    out.flush();
    // Messages quote answers and the bytes of input files: control characters
    // and bytes beyond ASCII are shown as '?', so that the message stays one
    // plain line.
    err << printable(end.message, end.message.size()) << '\n';
    return end.status;
  }
  units.close(files::kPrintUnit);
  units.close(files::kOutputSlot);
  out.flush();
  if (status != kExitOk) return status;
  for (const auto& failure : units.write_failures()) {
    err << "skaldur: cannot write " << printable(failure.name, failure.name.size()) << ": "
        << std::strerror(failure.error) << '\n';
    status = kExitFailed;
  }
  // The console is an output like the files: results shown nowhere are lost.
  if (out.fail()) {
    err << "skaldur: cannot write standard output: the console output is incomplete\n";
    status = kExitFailed;
  }
  return status;
}

}  // namespace

void guard_console() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      const int opened = ::open("/dev/null", O_RDONLY);
      if (opened >= 0 && opened != fd) ::close(opened);
    }
  }
  std::signal(SIGPIPE, SIG_IGN);
}

int DMG01(std::istream& in, std::ostream& out, std::ostream& err) {
  // Memory or threads running out end the run here, once the unit table has
  // been torn down by the exception; the outputs keep nothing of the run
  // beyond what was already written.
  try {
    return run_on_units(in, out, err);
  } catch (const std::bad_alloc&) {
    out.flush();
    err << "skaldur: out of memory: the run was ended\n";
  } catch (const std::system_error& error) {
    out.flush();
    err << "skaldur: the system refused what the run needs: " << printable(error.what()) << '\n';
  }
  return kExitFailed;
}

}  // namespace skaldur::dialogue
