#pragma once

// libxml2 (and ICU below it) is opened the first time XML or HTML is read or written: it
// lives behind libvelquarin-xml.so, beside the platform library, which hands back this table
// of the functions the store files, the update feed and the HTML-to-text reader use.

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlwriter.h>

namespace velquarin::platform {

struct XMLLibrary {
  decltype(&::htmlReadMemory) htmlReadMemory;
  decltype(&::xmlBufferContent) xmlBufferContent;
  decltype(&::xmlBufferCreate) xmlBufferCreate;
  decltype(&::xmlBufferFree) xmlBufferFree;
  decltype(&::xmlBufferLength) xmlBufferLength;
  decltype(&::xmlCtxtReadMemory) xmlCtxtReadMemory;
  decltype(&::xmlDocGetRootElement) xmlDocGetRootElement;
  decltype(&::xmlFreeDoc) xmlFreeDoc;
  decltype(&::xmlFreeParserCtxt) xmlFreeParserCtxt;
  decltype(&::xmlFreeTextReader) xmlFreeTextReader;
  decltype(&::xmlFreeTextWriter) xmlFreeTextWriter;
  decltype(&::xmlInitParser) xmlInitParser;
  decltype(&::xmlNewParserCtxt) xmlNewParserCtxt;
  decltype(&::xmlNewTextWriterMemory) xmlNewTextWriterMemory;
  decltype(&::xmlNodeGetContent) xmlNodeGetContent;
  decltype(&::xmlNodeGetLang) xmlNodeGetLang;
  decltype(&::xmlNodeListGetString) xmlNodeListGetString;
  decltype(&::xmlReaderForFd) xmlReaderForFd;
  decltype(&::xmlStopParser) xmlStopParser;
  decltype(&::xmlStrEqual) xmlStrEqual;
  decltype(&::xmlTextReaderConstName) xmlTextReaderConstName;
  decltype(&::xmlTextReaderCurrentNode) xmlTextReaderCurrentNode;
  decltype(&::xmlTextReaderDepth) xmlTextReaderDepth;
  decltype(&::xmlTextReaderGetAttribute) xmlTextReaderGetAttribute;
  decltype(&::xmlTextReaderIsEmptyElement) xmlTextReaderIsEmptyElement;
  decltype(&::xmlTextReaderNext) xmlTextReaderNext;
  decltype(&::xmlTextReaderNodeType) xmlTextReaderNodeType;
  decltype(&::xmlTextReaderRead) xmlTextReaderRead;
  decltype(&::xmlTextReaderReadOuterXml) xmlTextReaderReadOuterXml;
  decltype(&::xmlTextReaderReadString) xmlTextReaderReadString;
  decltype(&::xmlTextReaderSetStructuredErrorHandler) xmlTextReaderSetStructuredErrorHandler;
  decltype(&::xmlTextWriterEndDocument) xmlTextWriterEndDocument;
  decltype(&::xmlTextWriterEndElement) xmlTextWriterEndElement;
  decltype(&::xmlTextWriterFullEndElement) xmlTextWriterFullEndElement;
  decltype(&::xmlTextWriterStartDocument) xmlTextWriterStartDocument;
  decltype(&::xmlTextWriterStartElement) xmlTextWriterStartElement;
  decltype(&::xmlTextWriterWriteAttribute) xmlTextWriterWriteAttribute;
  decltype(&::xmlTextWriterWriteDTD) xmlTextWriterWriteDTD;
  decltype(&::xmlTextWriterWriteElement) xmlTextWriterWriteElement;
  decltype(&::xmlTextWriterWriteRaw) xmlTextWriterWriteRaw;
  decltype(&::xmlTextWriterWriteString) xmlTextWriterWriteString;
  // xmlFree, which libxml2 defines as a macro over its per-thread allocator.
  void (*freeMemory)(void* memory);

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const XMLLibrary* get();
};

// The table, once get() has returned it: every libxml2 object was made through it.
const XMLLibrary& xml();

// The one function libvelquarin-xml.so exports, by this name, with C linkage.
inline constexpr char kXMLLibraryEntry[] = "velquarin_xml_library";

}  // namespace velquarin::platform
