#include "core/list_ops.h"

namespace sorvane {

void add_characters(KanjiGrid& registered, const KanjiGrid& detected) {
    for (std::size_t cell = 0; cell < registered.size(); ++cell)
        if (detected[cell] != 0) registered[cell] = 1;
}

void remove_characters(KanjiGrid& registered, const KanjiGrid& detected) {
    for (std::size_t cell = 0; cell < registered.size(); ++cell)
        if (detected[cell] != 0) registered[cell] = 0;
}

void new_characters(const KanjiGrid& found, const KanjiGrid& registered, KanjiGrid& detected) {
    for (std::size_t cell = 0; cell < detected.size(); ++cell)
        detected[cell] = found[cell] != 0 && registered[cell] == 0 ? 1 : 0;
}

}  // namespace sorvane
