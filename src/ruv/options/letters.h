// Which characters are letters, decided by the Unicode character database alone: the process
// locale has no say, so a clip name is accepted or refused the same way on every machine.
#pragma once

// Whether `c` (a UTF-32 code point) is a letter: general category Lu, Ll, Lt, Lm or Lo.
bool IsUnicodeLetter(char32_t c);
