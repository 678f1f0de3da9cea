// Any bytes as Sorvane.ini: loading must keep within the tables and leave every text a
// string of at most 31999 bytes.
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "state/app_state.h"
#include "state/settings_file.h"

using namespace sorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AppState app_state;  // the fuzzer's one state, made afresh for every input
    app_state.clear();
    fuzzing::MemoryFile f(data, size);
    read_settings_file(f.file, app_state);
    for (int slot = 0; slot < text_slot_count; ++slot) {
        if (text_slot(app_state, slot).view().size() >= text_slot_size) std::abort();
    }
    return 0;
}
