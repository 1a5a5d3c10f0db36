#include "driver/dmg01.hpp"

#include <ostream>

namespace skaldur::driver {

int DMG01(std::istream&, std::ostream&, std::ostream&) {
  return kExitOk;
}

}  // namespace skaldur::driver
