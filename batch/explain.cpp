#include "batch/explain.hpp"

#include <cmath>
#include <ostream>
#include <string>

#include "batch/csv_fields.hpp"

namespace skaldur::batch {
namespace {

std::string column_text(const ColumnRef& column) {
  return "col(" + (column.number > 0 ? std::to_string(column.number) : column.name) + ")";
}

// "2.9 x col(fx) + 2.2 x col(my) - 0.5 x col(3)"; a column read alone is
// "col(fx)".
std::string terms_text(const Hotspot& h) {
  if (h.components.empty()) return column_text(h.column);
  std::string text;
  for (const Component& c : h.components) {
    const bool negative = std::signbit(c.factor);
    if (text.empty()) {
      if (negative) text += '-';
    } else {
      text += negative ? " - " : " + ";
    }
    append_number(text, std::fabs(c.factor));
    text += " x " + column_text(c.column);
  }
  return text;
}

}  // namespace

void write_explanation(std::ostream& out, const Job& job) {
  std::string text;
  for (const Hotspot& h : job.hotspots) {
    const double scf = damage::effective_scf({h.thickness, h.scf});
    std::string terms = terms_text(h);
    if (scf != 1.0) {
      if (h.components.size() > 1) terms = "(" + terms + ")";
      terms += " x scf ";
      append_number(terms, scf);
    }
    text += h.name + " = " + terms + "; curve " + h.curve.label + '\n';
  }
  out << text;
}

}  // namespace skaldur::batch
