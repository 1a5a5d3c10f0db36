#include "cycles/matrix.hpp"

namespace skaldur::cycles {

std::string_view name_of(MatrixKind kind) {
  switch (kind) {
    case MatrixKind::range_mean: return "range-mean";
    case MatrixKind::from_to: return "from-to";
    case MatrixKind::range: break;
  }
  return "range";
}

std::optional<MatrixKind> matrix_kind_named(std::string_view name) {
  if (name == "range-mean") return MatrixKind::range_mean;
  if (name == "from-to") return MatrixKind::from_to;
  if (name == "range") return MatrixKind::range;
  return std::nullopt;
}

}  // namespace skaldur::cycles
