#include "app/application.h"

int RunApplication(HINSTANCE instance) {
    MessageBoxA(nullptr, "Zarvex", "Zarvex", MB_OK);
    return 0;
}
