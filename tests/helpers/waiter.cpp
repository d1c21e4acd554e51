// Stands in for a product's program in the process tests: it only waits until it is ended.
#include <windows.h>

int main() {
    Sleep(INFINITE);
    return 0;
}
