#include <windows.h>

#include "local_date.h"

namespace activity {

LocalDate SystemLocalDate() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay};
}

}  // namespace activity
