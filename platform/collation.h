// String comparison by the word-sort rules of the user's language, as the
// engine sorts names (layers, aspects). This is an approximation for
// Windows-1252 text, documented here because sorted documents depend on it:
//  1. letters compare without case and accents ('a' = 'A' = 'a-grave'),
//     digits sort before letters, other symbols before digits; hyphens and
//     apostrophes are ignored (word sort), and so are the five unassigned
//     codes;
//  2. on a tie, accented letters sort after their base letter;
//  3. on a further tie, lower case sorts before upper case;
//  4. on a further tie, the word with fewer hyphens and apostrophes sorts
//     first, then the bytes decide.
// Returns -1, 0 or 1. A null string sorts before every other.
#pragma once

int lstrcmpA(const char *a, const char *b);
// The same without step 3.
int lstrcmpiA(const char *a, const char *b);
