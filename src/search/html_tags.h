#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvi {

// Start tags read as a browser reads them: attributes in any order, any
// white space (line breaks too) around them, values in either quote or none,
// entities in values decoded. Comments, end tags and text are passed over.
struct HtmlTag {
  std::string name;  // lower-cased
  std::vector<std::pair<std::string, std::string>> attributes;  // names lower-cased
  size_t begin = 0;  // the "<"
  size_t end = 0;    // one past the ">"
  // The value of the first attribute of that name.
  std::optional<std::string> Attribute(std::string_view name) const;
  // "a", "a.title", ".title": the name (any when empty) and a word of class.
  bool Matches(std::string_view selector) const;
};

// The next start tag from pos on, or nothing.
std::optional<HtmlTag> NextTag(std::string_view page, size_t pos);

// The next tag from pos on that matches the chain of selectors separated by
// spaces ("h2 a": the first <a> from the first <h2> on), before `limit`.
std::optional<HtmlTag> FindChain(std::string_view page, std::string_view chain, size_t pos,
                                 size_t limit = std::string_view::npos);

// &amp; &lt; &gt; &quot; &apos; &#39; &#x27; and any numeric reference
// (as UTF-8); anything else stays as it is.
std::string DecodeEntities(std::string_view text);

}  // namespace orvi
