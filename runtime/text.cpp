#include "runtime/text.h"

namespace runtime {

Text TextFromCode(int code) {
  return Text(1, static_cast<char>(code & 0xFF));
}

}  // namespace runtime
