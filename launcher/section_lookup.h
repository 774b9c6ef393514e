// The lookup of one key in a sections-and-keys text, over lines already read.
#pragma once

#include "framework/cstring.h"

// Returns the value of `key` in the first section named `section`, or `defaultValue`.
// Section names and keys match byte for byte (case-sensitive) after white space is
// stripped on both sides; a header without "]" has the empty name. The value is stripped
// the same way and every backslash-n pair in it becomes a line feed. Only the first
// section of a name is searched; a key present with an empty value gives "".
CString FindSectionValue(const CStringArray& lines, const CString& section, const CString& key,
                         const CString& defaultValue);
