#pragma once

// Pure extraction rules for values in the unit's replies. `from` points into a
// zero-terminated chunk; nothing is read past its end. Outputs are written
// without a terminating zero (callers hand in zero-filled buffers) unless a
// function says otherwise.

enum class OkStop {
    Never,          // only CR LF, the maximum and the chunk's end stop the value
    AtLineStart,    // also an "OK" alone on its line: first character or after CR or LF,
                    // and followed by CR, LF or the chunk's end
};

// Copies up to `max` characters from `from` into `out`, stopping before a CR
// that is followed by LF, before an "OK" where `okStop` says, and at the end
// of the chunk. Returns the number copied.
int CopyValue(const char* from, char* out, int max, OkStop okStop = OkStop::Never);

// As CopyValue, upper-casing a to f and turning each colon into a hyphen.
int CopyMacValue(const char* from, char* out, int max);

// The three fields of a +CESQ reply that the station uses (1st, 3rd and 6th).
// `from` is the first character after "+CESQ:"; the character after the colon
// is skipped. Each output takes at most `capacity` - 1 characters and is
// zero-terminated; a missing comma or CR ends the parse at the chunk's end.
void ParseCesqFields(const char* from, char* first, char* third, char* sixth, int capacity);
