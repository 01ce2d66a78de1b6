#pragma once

#include <string>
#include <string_view>

// The plain text of an HTML fragment: the text of its elements as a browser lays it out,
// blocks on lines of their own, runs of white space as one space (kept inside pre), entities
// decoded; script, style and head dropped. Read as UTF-8 whatever the markup declares; the
// result is valid UTF-8.
std::string ZqTextFromHTML(std::string_view html);
