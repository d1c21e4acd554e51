#pragma once
// Whether this thread has COM set up as the shell expects: a single-threaded apartment.
#include <windows.h>
#include <objbase.h>

inline bool InSingleThreadedApartment() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    return SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && (type == APTTYPE_STA || type == APTTYPE_MAINSTA);
}
