// The single-byte code pages a document may be declared in
// (encoding="windows-1252") that the XML parser does not know by itself on
// every system, read through our own conversion, so that a document reads the
// same everywhere.
#ifndef SKEDCOMP_XMLTV_XML_ENCODINGS_H_
#define SKEDCOMP_XMLTV_XML_ENCODINGS_H_

// Makes the pages known to the parser; the first call does the work.
void RegisterCodePageEncodings();

#endif  // SKEDCOMP_XMLTV_XML_ENCODINGS_H_
