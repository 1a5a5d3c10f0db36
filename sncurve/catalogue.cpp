#include "sncurve/catalogue.hpp"

#include <algorithm>
#include <ostream>
#include <string_view>

#include "sncurve/builtin.hpp"
#include "sncurve/record.hpp"
#include "textio/intchar.hpp"
#include "textio/text.hpp"
#include "textio/words.hpp"

namespace skaldur::sncurve {
namespace {

using textio::LetterCase;

// Word tables, compared as blank-padded 10-character slots.
constexpr std::string_view kStandards[] = {"NORSOK", "DNV", "NS3472", "", "", "", "", "", "", ""};
constexpr std::string_view kNorsokClasses[] = {"B1", "B2", "C", "C1", "C2", "D",  "E", "F",
                                               "F1", "F3", "G", "W1", "W2", "W3", "T"};
constexpr std::string_view kDnvClasses[] = {"D"};
constexpr std::string_view kEnvironments[] = {"AIR", "SEA_CAT", "SEA_FREE"};

// SPLITW's word list while a name is taken apart.
constexpr std::size_t kWordSlots = 100;
constexpr std::size_t kWordLength = 80;

constexpr std::size_t block_length(const BuiltinCurve& curve) {
  const auto n_sn_lin = static_cast<std::size_t>(curve.numbers[0]);
  const auto n_par_per_lin = static_cast<std::size_t>(curve.numbers[1]);
  const auto n_fix_par = static_cast<std::size_t>(curve.numbers[2]);
  return kHeaderSize + n_sn_lin * n_par_per_lin + n_fix_par;
}

constexpr int word_count(std::string_view text) {
  int count = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ' && (i == 0 || text[i - 1] == ' ')) ++count;
  return count;
}

// Every name fits its 40 characters and holds standard, class and
// environment; every block fits the values table.
constexpr bool builtin_table_fits() {
  std::size_t total = 0;
  for (const auto& curve : builtin_curves()) {
    if (curve.name.size() > kNameLength || word_count(curve.name) != 3) return false;
    if (block_length(curve) > kHeaderSize + curve.numbers.size() - 3) return false;
    total += block_length(curve);
  }
  return total <= kValueCapacity && builtin_curves().size() <= kMaxCurves;
}
static_assert(builtin_table_fits(), "the built-in curves must fit the catalogue tables");

struct HeaderCodes {
  int standard = 0;
  int detail_class = 0;
  int environment = 0;
};

// Codes the three words of a name; words that are not in their table give 0.
HeaderCodes code_name(std::string_view name, std::span<std::string> words) {
  (void)textio::SPLITW(name, words, kWordLength);  // three words, checked at compile time
  HeaderCodes codes;
  codes.standard = textio::IWFIND(words[0], kStandards, LetterCase::blind);
  if (codes.standard == kNorsok) {
    codes.detail_class = textio::IWFIND(words[1], kNorsokClasses, LetterCase::blind);
  } else if (codes.standard == kDnv) {
    codes.detail_class = textio::IWFIND(words[1], kDnvClasses, LetterCase::blind);
  }
  if (codes.standard == kNorsok || codes.standard == kDnv)
    codes.environment = textio::IWFIND(words[2], kEnvironments, LetterCase::blind);
  return codes;
}

}  // namespace

int SNCATLG(Catalogue& catalogue, std::ostream& report, int codes_per_name) {
  const int n_codes = std::clamp(codes_per_name, 0, kCodesPerName);
  catalogue.values.assign(kValueCapacity, 0.0);
  catalogue.names.assign(static_cast<std::size_t>(kMaxCurves), NameCodes{});
  catalogue.start.fill(0);
  catalogue.start[0] = 1;
  catalogue.count = kBuiltinCount;

  std::vector<std::string> words(kWordSlots);
  int status = 0;
  const auto curves = builtin_curves();
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const BuiltinCurve& curve = curves[i];
    const std::string name = textio::padded(curve.name, kNameLength);
    const HeaderCodes codes = code_name(name, words);

    const int n_sn_lin = round_count(curve.numbers[0]);
    const int n_par_per_lin = round_count(curve.numbers[1]);
    const int n_fix_par = round_count(curve.numbers[2]);
    const int n_data = n_sn_lin * n_par_per_lin + n_fix_par;
    const std::array<double, kHeaderSize> header = {
        static_cast<double>(codes.standard),
        static_cast<double>(codes.detail_class),
        static_cast<double>(codes.environment),
        static_cast<double>(n_sn_lin),
        static_cast<double>(n_par_per_lin),
        static_cast<double>(n_fix_par),
        static_cast<double>(kSegStart),
        static_cast<double>(kSegStart + n_sn_lin * n_par_per_lin)};

    // The static_assert above keeps every block inside the 3000 values.
    const auto first = static_cast<std::size_t>(catalogue.start[i]) - 1;
    auto block = std::span(catalogue.values).subspan(first);
    std::copy(header.begin(), header.end(), block.begin());
    std::copy_n(curve.numbers.begin() + 3, n_data, block.begin() + kHeaderSize);
    catalogue.start[i + 1] = catalogue.start[i] + kHeaderSize + n_data;

    const std::string_view strings[] = {name};
    textio::CH2INT(strings, catalogue.names[i], n_codes, report, status);
  }
  return status;
}

textio::Result<Catalogue, CatalogueError> builtin_catalogue() {
  Catalogue catalogue;
  std::ostream no_report(nullptr);
  if (SNCATLG(catalogue, no_report) != 0) return textio::fail(CatalogueError::names_not_coded);
  return catalogue;
}

textio::Result<int, CatalogueError> find_curve(const Catalogue& catalogue, std::string_view name) {
  const std::string wanted = textio::squeezed_upper(name);
  for (int n = 1; n <= catalogue.count; ++n) {
    const auto shown = display_name(catalogue, n);
    if (shown && textio::squeezed_upper(*shown) == wanted) return n;
  }
  return textio::fail(CatalogueError::no_such_curve);
}

textio::Result<std::span<const double>, CatalogueError> curve_block(const Catalogue& catalogue,
                                                                    int n) {
  if (n < 1 || n > catalogue.count || n > kMaxCurves)
    return textio::fail(CatalogueError::no_such_curve);
  const auto index = static_cast<std::size_t>(n);
  const int first = catalogue.start[index - 1];
  const int end = catalogue.start[index];
  if (first < 1 || end < first || static_cast<std::size_t>(end) - 1 > catalogue.values.size())
    return textio::fail(CatalogueError::broken_block);
  return std::span<const double>(catalogue.values)
      .subspan(static_cast<std::size_t>(first) - 1, static_cast<std::size_t>(end - first));
}

textio::Result<std::string, CatalogueError> display_name(const Catalogue& catalogue, int n) {
  if (n < 1 || n > catalogue.count || n > kMaxCurves ||
      static_cast<std::size_t>(n) > catalogue.names.size())
    return textio::fail(CatalogueError::no_such_curve);
  std::string text(kNameLength, ' ');
  // INT2CH reports only a length of 0 or below, and 40 codes are read here.
  std::ostream no_messages(nullptr);
  int errors = 0;
  textio::INT2CH(text, catalogue.names[static_cast<std::size_t>(n) - 1], kCodesPerName, no_messages,
                 errors);
  text.resize(kDisplayNameLength);
  return text;
}

textio::Result<int, CatalogueError> copy_curve(const Catalogue& catalogue, int n,
                                               std::span<double> record) {
  const auto block = curve_block(catalogue, n);
  if (!block) return textio::fail(block.error());
  if (block->size() > record.size()) return textio::fail(CatalogueError::record_too_small);
  std::copy(block->begin(), block->end(), record.begin());
  return static_cast<int>(block->size());
}

}  // namespace skaldur::sncurve
