#include "effect/host_calls/text_ops.h"

namespace velmora {

void CopyText(const PF_InData* in_data, A_char* destination, const A_char* text) {
  in_data->utils->ansi.strcpy(destination, text);
}

}  // namespace velmora
