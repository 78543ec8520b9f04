// The designer's state as a copy for the tab, and back. The copy is text, one field after
// another in a fixed order, each with its name: "korvath-session 1;paints:2,3,2,5,1,1;...;".
// Every value that the person can change is kept, and the count of numbers the idle sway
// has drawn from the C library's generator, which a restore draws again so that the
// random sequence goes on from where it was.
#include "web/design/tab_copy.h"

#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "web/design/design.h"

// Every draw of the generator passes here: the web build links rand to this (--wrap=rand).
extern "C" int __real_rand();

namespace {

constexpr const char* copyVersion = "korvath-session 1";
constexpr int copySize = 4096;  // a copy takes about 400 bytes
char copy[copySize];

long long randomDraws = 0;
// Twenty-three hours of the sway on screen drawing all it can (1,200 a second); a restore
// draws them again in a few tenths of a second. Beyond, the sequence goes on from there.
constexpr double mostDraws = 1.0e8;

// The copy's last field, after the design's own: the count of random draws.
constexpr DesignField drawsField = {"draws", 1, true, 0, mostDraws};
constexpr int copyValueCount = designValueCount + 1;

// One number of the copy; a fraction with nine digits, which reads back as the same float.
int writeValue(char* out, int room, const DesignField& field, double value)
{
    if (field.whole) return std::snprintf(out, room, "%lld", static_cast<long long>(value));
    return std::snprintf(out, room, "%.9g", value);
}

// Writes one field's values, from `values` on.
int writeField(char* out, int room, const DesignField& field, const double*& values)
{
    int used = std::snprintf(out, room, ";%s:", field.name);
    for (int i = 0; i < field.count; ++i) {
        if (i > 0) used += std::snprintf(out + used, room - used, ",");
        used += writeValue(out + used, room - used, field, *values++);
    }
    return used;
}

// Reads one number at `text` followed by `end`; only finite numbers, and whole ones for
// a whole field, are read.
bool readValue(const char*& text, const DesignField& field, char end, double& value)
{
    char* after = nullptr;
    value = std::strtod(text, &after);
    if (after == text || *after != end || !std::isfinite(value)) return false;
    if (field.whole && value != std::floor(value)) return false;
    text = after + 1;
    return true;
}

bool readField(const char*& text, const DesignField& field, double*& values)
{
    const std::size_t nameLength = std::strlen(field.name);
    if (std::strncmp(text, field.name, nameLength) != 0 || text[nameLength] != ':') return false;
    text += nameLength + 1;
    for (int i = 0; i < field.count; ++i) {
        if (!readValue(text, field, i + 1 < field.count ? ',' : ';', *values++)) return false;
    }
    return true;
}

// The whole copy, or nothing: its version, then every field in its place.
bool readCopy(const char* text, double* values)
{
    const std::size_t versionLength = std::strlen(copyVersion);
    if (std::strncmp(text, copyVersion, versionLength) != 0 || text[versionLength] != ';') return false;
    text += versionLength + 1;
    for (const DesignField& field : designFields) {
        if (!readField(text, field, values)) return false;
    }
    return readField(text, drawsField, values) && *text == '\0';
}

// The design, then the random sequence drawn on to where it was.
void applyCopy(const double* values)
{
    writeDesign(values);
    const long long draws = static_cast<long long>(std::fmin(values[designValueCount], mostDraws));
    while (randomDraws < draws) std::rand();
}

}  // namespace

extern "C" {

int __wrap_rand()
{
    ++randomDraws;
    return __real_rand();
}

EMSCRIPTEN_KEEPALIVE const char* tabCopyEncode()
{
    double values[copyValueCount];
    readDesign(values);
    values[designValueCount] = static_cast<double>(randomDraws);
    const double* next = values;
    int used = std::snprintf(copy, copySize, "%s", copyVersion);
    for (const DesignField& field : designFields) used += writeField(copy + used, copySize - used, field, next);
    used += writeField(copy + used, copySize - used, drawsField, next);
    std::snprintf(copy + used, copySize - used, ";");
    return copy;
}

EMSCRIPTEN_KEEPALIVE char* tabCopyBuffer()
{
    return copy;
}

EMSCRIPTEN_KEEPALIVE int tabCopyBufferSize()
{
    return copySize;
}

EMSCRIPTEN_KEEPALIVE int tabCopyRestore()
{
    double values[copyValueCount];
    if (!readCopy(copy, values)) return 0;
    applyCopy(values);
    return 1;
}
}
