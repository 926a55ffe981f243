// Placeholder: writes an empty version data source until the generator is in place.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* output = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--output") == 0)
            output = argv[i + 1];
    if (!output)
        return 2;
    FILE* f = std::fopen(output, "w");
    if (!f)
        return 1;
    std::fputs("extern const unsigned char tagscopeVersionData[] = {0};\n", f);
    std::fclose(f);
    return 0;
}
