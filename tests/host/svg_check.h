// Reading the host's SVG pictures back with libxml2: whether a picture is well-formed
// SVG with finite numbers, and the texts it holds as an XML reader reads them.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace yrltest {

// A picture parsed by libxml2; null doc with the parser's message when it is not
// well-formed XML with well-formed namespaces.
struct ParsedSvg {
  xmlDocPtr doc = nullptr;
  std::string error;
  explicit ParsedSvg(const std::string& text) {
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    doc = xmlCtxtReadMemory(context, text.data(), static_cast<int>(text.size()), "picture.svg",
                            nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc || !context->wellFormed || !context->nsWellFormed) {
      const xmlError* last = xmlCtxtGetLastError(context);
      error = last && last->message ? last->message : "not well-formed";
      if (doc) xmlFreeDoc(doc);
      doc = nullptr;
    }
    xmlFreeParserCtxt(context);
  }
  ~ParsedSvg() {
    if (doc) xmlFreeDoc(doc);
  }
  ParsedSvg(const ParsedSvg&) = delete;
  ParsedSvg& operator=(const ParsedSvg&) = delete;
};

inline std::string text_of(const xmlChar* text) {
  return text ? reinterpret_cast<const char*>(text) : "";
}

inline std::string attribute(xmlNodePtr node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string text = text_of(value);
  xmlFree(value);
  return text;
}

// Whether every number of an attribute value is a finite number as SVG writes one; the
// letters of a path and the words of a transform are skipped.
inline bool numbers_finite(std::string value) {
  auto letter = [&](std::size_t i) {
    return i < value.size() && std::isalpha(static_cast<unsigned char>(value[i]));
  };
  for (std::size_t i = 0; i < value.size();) {
    if (value[i] == '(' || value[i] == ')' || value[i] == ',') value[i] = ' ';
    if (!letter(i)) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (letter(end)) ++end;
    std::string word = value.substr(i, end - i);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word == "nan" || word == "inf" || word == "infinity") return false;
    // An exponent's e stays with its number.
    bool exponent = end == i + 1 && (value[i] == 'e' || value[i] == 'E') && i > 0 &&
                    std::isdigit(static_cast<unsigned char>(value[i - 1]));
    if (!exponent)
      std::fill(value.begin() + static_cast<std::ptrdiff_t>(i),
                value.begin() + static_cast<std::ptrdiff_t>(end), ' ');
    i = end;
  }
  std::istringstream words(value);
  for (std::string word; words >> word;) {
    char* end = nullptr;
    double number = std::strtod(word.c_str(), &end);
    if (*end != 0 || !std::isfinite(number)) return false;
  }
  return true;
}

// What is wrong with a picture as SVG: not well-formed, not an svg root in the SVG
// namespace, an element the writer does not write, or a number that is not finite.
// Empty when nothing is.
inline std::string svg_problems(const std::string& text) {
  ParsedSvg parsed(text);
  if (!parsed.doc) return "not well-formed: " + parsed.error;
  xmlNodePtr root = xmlDocGetRootElement(parsed.doc);
  if (text_of(root->name) != "svg" || !root->ns ||
      text_of(root->ns->href) != "http://www.w3.org/2000/svg")
    return "the root is no SVG element";
  static const std::set<std::string> elements = {"svg",  "title",  "rect", "g",
                                                 "line", "circle", "path", "text"};
  static const char* const numeric[] = {"x",
                                        "y",
                                        "x1",
                                        "y1",
                                        "x2",
                                        "y2",
                                        "cx",
                                        "cy",
                                        "r",
                                        "width",
                                        "height",
                                        "viewBox",
                                        "font-size",
                                        "stroke-width",
                                        "stroke-dasharray",
                                        "d",
                                        "transform"};
  std::vector<xmlNodePtr> pending = {root};
  while (!pending.empty()) {
    xmlNodePtr node = pending.back();
    pending.pop_back();
    if (node->type != XML_ELEMENT_NODE) continue;
    if (!elements.count(text_of(node->name))) return "an element " + text_of(node->name);
    for (const char* name : numeric)
      if (xmlHasProp(node, reinterpret_cast<const xmlChar*>(name)) &&
          !numbers_finite(attribute(node, name)))
        return std::string("a number in ") + name + "=\"" + attribute(node, name) + "\"";
    for (xmlNodePtr child = node->children; child; child = child->next) pending.push_back(child);
  }
  return "";
}

// The characters of each text element and of the title, as an XML reader reads them.
inline std::vector<std::string> texts_read(const std::string& text) {
  ParsedSvg parsed(text);
  std::vector<std::string> texts;
  if (!parsed.doc) return texts;
  std::vector<xmlNodePtr> pending = {xmlDocGetRootElement(parsed.doc)};
  while (!pending.empty()) {
    xmlNodePtr node = pending.front();
    pending.erase(pending.begin());
    if (node->type != XML_ELEMENT_NODE) continue;
    if (text_of(node->name) == "text" || text_of(node->name) == "title") {
      xmlChar* content = xmlNodeGetContent(node);
      texts.push_back(text_of(content));
      xmlFree(content);
    }
    for (xmlNodePtr child = node->children; child; child = child->next) pending.push_back(child);
  }
  return texts;
}

}  // namespace yrltest
