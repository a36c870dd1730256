// The program's one instance of the classic generator.
#include "editor/effects/ClassicRandom.h"

namespace lumora {

ClassicRandom& ProgramRandom() {
  static ClassicRandom generator;
  return generator;
}

}  // namespace lumora
