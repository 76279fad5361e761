#include "settings/typed_input.h"

#include <limits>
#include <locale>
#include <utility>

namespace vexilo {

bool readTypedWord(std::istream& in, std::string& word) {
  word.clear();
  const std::istream::sentry sentry(in);
  if (!sentry) return false;
  const auto& classes = std::use_facet<std::ctype<char>>(in.getloc());
  std::streambuf& buffer = *in.rdbuf();
  bool any = false;
  for (;;) {
    const int next = buffer.sgetc();
    if (next == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      break;
    }
    const char character = std::char_traits<char>::to_char_type(next);
    if (classes.is(std::ctype_base::space, character)) break;
    if (word.size() < typedWordLimit) word += character;
    any = true;
    buffer.sbumpc();
  }
  if (!any) in.setstate(std::ios::failbit);
  return any;
}

TypedFileName readTypedFileName(std::istream& in, std::string& name) {
  name.clear();
  const std::istream::sentry sentry(in);
  if (!sentry) return TypedFileName::ended;
  std::streambuf& buffer = *in.rdbuf();
  constexpr int quote = '"';
  if (buffer.sgetc() != quote) {
    // A word that the end of input cuts off may not be the whole name that was meant.
    return readTypedWord(in, name) && !in.eof() ? TypedFileName::taken : TypedFileName::ended;
  }
  buffer.sbumpc();
  std::string typed = "\"";
  for (;;) {
    const int next = buffer.sgetc();
    if (next == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      name.clear();
      return TypedFileName::ended;
    }
    if (next == '\n') {
      name = std::move(typed);
      return TypedFileName::unclosed;
    }
    buffer.sbumpc();
    if (next == quote) return TypedFileName::taken;
    const char character = std::char_traits<char>::to_char_type(next);
    if (name.size() < typedWordLimit) name += character;
    if (typed.size() < typedWordLimit) typed += character;
  }
}

bool skipRestOfLine(std::istream& in) {
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  return !(in.gcount() == 0 && in.eof());
}

}  // namespace vexilo
