// A process that only exists: detection tests look for it by image name.
#include <windows.h>

int main() {
    Sleep(INFINITE);
    return 0;
}
