#include <windows.h>

#include "app/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunApplication(instance);
}
