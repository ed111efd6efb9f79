#include "atcmd/Extract.h"

#include <cctype>

namespace {

bool EndsValueAt(const char* p, const char* start, OkStop okStop)
{
    if (*p == '\0')
        return true;
    if (p[0] == '\r' && p[1] == '\n')
        return true;
    if (okStop == OkStop::AtLineStart && p[0] == 'O' && p[1] == 'K') {
        const bool lineStart = p == start || p[-1] == '\r' || p[-1] == '\n';
        const bool lineEnd = p[2] == '\0' || p[2] == '\r' || p[2] == '\n';
        return lineStart && lineEnd;
    }
    return false;
}

template <typename Convert>
int CopyWith(const char* from, char* out, int max, OkStop okStop, Convert convert)
{
    int n = 0;
    for (const char* p = from; n < max && !EndsValueAt(p, from, okStop); ++p)
        out[n++] = convert(*p);
    return n;
}

char MacCharacter(char c)
{
    if (c >= 'a' && c <= 'f')
        return static_cast<char>(c - 'a' + 'A');
    if (c == ':')
        return '-';
    return c;
}

// Copies one comma-separated field, at most `capacity` - 1 characters, and
// returns where the next field starts. The line's CR and the chunk's end stop
// every field; the fields after them stay empty.
const char* CopyField(const char* p, char* out, int capacity)
{
    int n = 0;
    for (; *p != '\0' && *p != ',' && *p != '\r'; ++p) {
        if (out && n < capacity - 1)
            out[n++] = *p;
    }
    if (out)
        out[n] = '\0';
    return *p == ',' ? p + 1 : p;
}

}  // namespace

int CopyValue(const char* from, char* out, int max, OkStop okStop)
{
    return CopyWith(from, out, max, okStop, [](char c) { return c; });
}

int CopyMacValue(const char* from, char* out, int max)
{
    return CopyWith(from, out, max, OkStop::Never, MacCharacter);
}

void ParseCesqFields(const char* from, char* first, char* third, char* sixth, int capacity)
{
    first[0] = third[0] = sixth[0] = '\0';
    const char* p = from;
    if (*p != '\0')
        ++p;  // the blank after the colon
    p = CopyField(p, first, capacity);
    p = CopyField(p, nullptr, 0);
    p = CopyField(p, third, capacity);
    p = CopyField(p, nullptr, 0);
    p = CopyField(p, nullptr, 0);
    CopyField(p, sixth, capacity);
}
