// libvelquarin-xml.so: the only part of the package linked to libxml2.

#include "xml/XMLLibrary.h"

using velquarin::platform::XMLLibrary;

extern "C" __attribute__((visibility("default"))) const XMLLibrary* velquarin_xml_library() {
  static const XMLLibrary table{
      .htmlReadMemory = &htmlReadMemory,
      .xmlBufferContent = &xmlBufferContent,
      .xmlBufferCreate = &xmlBufferCreate,
      .xmlBufferFree = &xmlBufferFree,
      .xmlBufferLength = &xmlBufferLength,
      .xmlCtxtReadMemory = &xmlCtxtReadMemory,
      .xmlDocGetRootElement = &xmlDocGetRootElement,
      .xmlFreeDoc = &xmlFreeDoc,
      .xmlFreeParserCtxt = &xmlFreeParserCtxt,
      .xmlFreeTextReader = &xmlFreeTextReader,
      .xmlFreeTextWriter = &xmlFreeTextWriter,
      .xmlInitParser = &xmlInitParser,
      .xmlNewParserCtxt = &xmlNewParserCtxt,
      .xmlNewTextWriterMemory = &xmlNewTextWriterMemory,
      .xmlNodeGetContent = &xmlNodeGetContent,
      .xmlNodeGetLang = &xmlNodeGetLang,
      .xmlNodeListGetString = &xmlNodeListGetString,
      .xmlReaderForFd = &xmlReaderForFd,
      .xmlStopParser = &xmlStopParser,
      .xmlStrEqual = &xmlStrEqual,
      .xmlTextReaderConstName = &xmlTextReaderConstName,
      .xmlTextReaderCurrentNode = &xmlTextReaderCurrentNode,
      .xmlTextReaderDepth = &xmlTextReaderDepth,
      .xmlTextReaderGetAttribute = &xmlTextReaderGetAttribute,
      .xmlTextReaderIsEmptyElement = &xmlTextReaderIsEmptyElement,
      .xmlTextReaderNext = &xmlTextReaderNext,
      .xmlTextReaderNodeType = &xmlTextReaderNodeType,
      .xmlTextReaderRead = &xmlTextReaderRead,
      .xmlTextReaderReadOuterXml = &xmlTextReaderReadOuterXml,
      .xmlTextReaderReadString = &xmlTextReaderReadString,
      .xmlTextReaderSetStructuredErrorHandler = &xmlTextReaderSetStructuredErrorHandler,
      .xmlTextWriterEndDocument = &xmlTextWriterEndDocument,
      .xmlTextWriterEndElement = &xmlTextWriterEndElement,
      .xmlTextWriterFullEndElement = &xmlTextWriterFullEndElement,
      .xmlTextWriterStartDocument = &xmlTextWriterStartDocument,
      .xmlTextWriterStartElement = &xmlTextWriterStartElement,
      .xmlTextWriterWriteAttribute = &xmlTextWriterWriteAttribute,
      .xmlTextWriterWriteDTD = &xmlTextWriterWriteDTD,
      .xmlTextWriterWriteElement = &xmlTextWriterWriteElement,
      .xmlTextWriterWriteRaw = &xmlTextWriterWriteRaw,
      .xmlTextWriterWriteString = &xmlTextWriterWriteString,
      .freeMemory = [](void* memory) { xmlFree(memory); },
  };
  return &table;
}
