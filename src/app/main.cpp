#include <cstdio>

int main() {
    std::fprintf(stderr, "tavrilux: the dimming engine cannot run yet in this build\n");
    return 1;
}
