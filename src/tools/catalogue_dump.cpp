#include <cstdio>
int main() { std::puts("catalogue"); return 0; }
