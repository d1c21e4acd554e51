#pragma once
// Standard Base64 (RFC 4648: A-Z a-z 0-9 + /, '=' padding), also used for proxy authorisation.
#include <string>

std::string Base64Encode(const std::string& bytes);
// Whole groups of four characters only; characters after the last whole group are ignored.
// A group holding a character outside the alphabet (or '=' in its first two places) makes the
// whole text undecodable: the result is empty rather than bytes made from a damaged text.
std::string Base64Decode(const std::string& text);
