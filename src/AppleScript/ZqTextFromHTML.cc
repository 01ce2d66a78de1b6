#include "AppleScript/ZqTextFromHTML.h"

#include <glib.h>

#include <array>
#include <climits>
#include <cstring>
#include <memory>

#include "xml/XMLLibrary.h"

using velquarin::platform::xml;
using velquarin::platform::XMLLibrary;

namespace {

struct DocFree {
  void operator()(xmlDoc* doc) const { xml().xmlFreeDoc(doc); }
};
struct GFree {
  void operator()(gchar* text) const { g_free(text); }
};

bool named(const xmlNode* node, const char* name) {
  return node->name && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool isOneOf(const xmlNode* node, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (named(node, name)) return true;
  }
  return false;
}

bool isDropped(const xmlNode* node) {
  return isOneOf(node, {"script", "style", "head", "template", "noscript"});
}

bool isBlock(const xmlNode* node) {
  return node->type == XML_ELEMENT_NODE &&
         isOneOf(
             node,
             {"address",  "article",    "aside",  "blockquote", "body", "dd",   "div", "dl", "dt",
              "fieldset", "figcaption", "figure", "footer",     "form", "h1",   "h2",  "h3", "h4",
              "h5",       "h6",         "header", "hr",         "li",   "main", "nav", "ol", "p",
              "pre",      "section",    "table",  "tr",         "ul",   "html"});
}

// Builds the text: white space collapsed, line breaks where blocks meet.
class TextBuilder {
 public:
  void text(const char* content, bool preformatted) {
    for (const char* c = content; c && *c; ++c) {
      if (preformatted) {
        flushBreak();
        out_ += *c;
        atLineStart_ = *c == '\n';
        continue;
      }
      if (*c == ' ' || *c == '\t' || *c == '\n' || *c == '\r' || *c == '\f') {
        if (!atLineStart_) pendingSpace_ = true;
        continue;
      }
      flushBreak();
      if (pendingSpace_) out_ += ' ';
      pendingSpace_ = false;
      out_ += *c;
      atLineStart_ = false;
    }
  }
  void lineBreak() {
    flushBreak();
    out_ += '\n';
    atLineStart_ = true;
    pendingSpace_ = false;
  }
  void blockBoundary() {
    if (!atLineStart_) pendingBreak_ = true;
    pendingSpace_ = false;
  }
  std::string finish() { return std::move(out_); }

 private:
  void flushBreak() {
    if (pendingBreak_ && !out_.empty()) out_ += '\n';
    pendingBreak_ = false;
    atLineStart_ = atLineStart_ || out_.empty() || out_.back() == '\n';
  }

  std::string out_;
  bool atLineStart_ = true;
  bool pendingSpace_ = false;
  bool pendingBreak_ = false;
};

std::string validUTF8(const std::string& text) {
  std::unique_ptr<gchar, GFree> valid(
      g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
  return valid ? std::string(valid.get()) : std::string();
}

}  // namespace

std::string ZqTextFromHTML(std::string_view html) {
  if (html.empty() || html.size() > static_cast<std::size_t>(INT_MAX)) return "";
  if (!XMLLibrary::get()) return "";
  // UTF-8 whatever a meta element says; no network; the parser's depth and size limits stay.
  constexpr int kOptions =
      HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_IGNORE_ENC;
  std::unique_ptr<xmlDoc, DocFree> doc(
      xml().htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", kOptions));
  if (!doc) return "";

  TextBuilder builder;
  int preformatted = 0;
  const xmlNode* top = reinterpret_cast<const xmlNode*>(doc.get());
  const xmlNode* node = doc->children;
  // Walked without recursion: the tree may be as deep as the parser allows.
  while (node) {
    bool descend = false;
    if (node->type == XML_ELEMENT_NODE && !isDropped(node)) {
      if (named(node, "br")) builder.lineBreak();
      if (isBlock(node)) builder.blockBoundary();
      descend = node->children != nullptr;
      if (descend && named(node, "pre")) ++preformatted;
    } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
      builder.text(reinterpret_cast<const char*>(node->content), preformatted > 0);
    }
    if (descend) {
      node = node->children;
      continue;
    }
    while (node && node != top && !node->next) {
      node = node->parent;
      if (!node || node == top) break;
      if (isBlock(node)) builder.blockBoundary();
      if (named(node, "pre") && preformatted > 0) --preformatted;
    }
    node = node && node != top ? node->next : nullptr;
  }
  std::string text = builder.finish();
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return validUTF8(text);
}
