// Placeholder replaced by the engine work in progress.
#include <cstdio>
int main()
{
    std::fprintf(stderr, "AVELORX3: not built yet\n");
    return 2;
}
