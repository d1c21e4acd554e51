#include "catalogue/catalogue_identity.h"

#include "catalogue/catalogue_listing.h"
#include "system/sha256.h"

std::string CatalogueIdentity() {
    std::string listing;
    for (const std::string& line : CatalogueListing()) listing += line + "\n";
    return Sha256Hex(listing);
}
