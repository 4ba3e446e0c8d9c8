#include "classical/orthogonal_catalogue.h"

namespace ortho {

const CatalogueEntry* catalogueEntry(int number) {
    if (number < 1 || number > kCatalogueSize) return nullptr;
    return &kCatalogue[number - 1];
}

Group catalogueGroup(int columns) {
    if (columns < 1 || columns > kMaxColumns) return {1, 1};
    return {kGroupIndex[columns - 1], kGroupIndex[columns]};
}

}  // namespace ortho
