#include "xmltv/write_xmltv.h"

#include <libxml/xmlwriter.h>

#include <memory>

#include "text/code_page.h"
#include "xmltv/xmltv_time.h"

namespace {

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// Characters XML 1.0 cannot hold at all (control characters but tab and
// line ends) as U+FFFD.
std::string XmlText(std::string text) {
  std::string clean;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      clean += "\xEF\xBF\xBD";
    } else {
      clean += c;
    }
  }
  return clean;
}

ZonedTime Zoned(const TimeZone& zone, std::uint64_t ticks) {
  return ExistingWallTime(zone, WallTimeOfTicks(ticks));
}

}  // namespace

bool WriteXmltv(const std::vector<XmltvChannelOut>& channels, const TimeZone& zone,
                const std::string& code_page, std::string* document) {
  std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), &xmlBufferFree);
  std::unique_ptr<xmlTextWriter, decltype(&xmlFreeTextWriter)> writer(
      xmlNewTextWriterMemory(buffer.get(), 0), &xmlFreeTextWriter);
  xmlTextWriter* out = writer.get();
  // The document type on one line of its own: indenting would break it in two.
  bool ok = out != nullptr && xmlTextWriterStartDocument(out, nullptr, "UTF-8", nullptr) >= 0 &&
            xmlTextWriterWriteDTD(out, X("tv"), nullptr, X("xmltv.dtd"), nullptr) >= 0 &&
            xmlTextWriterWriteRaw(out, X("\n")) >= 0 && xmlTextWriterSetIndent(out, 1) == 0 &&
            xmlTextWriterStartElement(out, X("tv")) >= 0 &&
            xmlTextWriterWriteAttribute(out, X("generator-info-name"), X("skedtool")) >= 0;
  for (const XmltvChannelOut& base : channels) {
    const std::string id = XmlText(base.id);  // a file name or argument: already UTF-8
    ok = ok && xmlTextWriterStartElement(out, X("channel")) >= 0 &&
         xmlTextWriterWriteAttribute(out, X("id"), X(id.c_str())) >= 0 &&
         xmlTextWriterWriteElement(out, X("display-name"), X(id.c_str())) >= 0 &&
         xmlTextWriterEndElement(out) >= 0;
  }
  for (const XmltvChannelOut& base : channels) {
    const std::string id = XmlText(base.id);
    for (const TimedProgramme& programme : base.programmes) {
      if (!ok) break;
      const ZonedTime start = Zoned(zone, programme.start);
      const std::string title = XmlText(ToUtf8(code_page, programme.title));
      ok = xmlTextWriterStartElement(out, X("programme")) >= 0 &&
           xmlTextWriterWriteAttribute(out, X("start"),
                                       X(FormatXmltvTime(start.wall, start.offset).c_str())) >= 0;
      const ZonedTime stop = Zoned(zone, programme.stop);
      if (ok && stop.wall - stop.offset > start.wall - start.offset) {
        ok = xmlTextWriterWriteAttribute(out, X("stop"),
                                         X(FormatXmltvTime(stop.wall, stop.offset).c_str())) >= 0;
      }
      ok = ok && xmlTextWriterWriteAttribute(out, X("channel"), X(id.c_str())) >= 0 &&
           xmlTextWriterWriteElement(out, X("title"), X(title.c_str())) >= 0 &&
           xmlTextWriterEndElement(out) >= 0;
    }
  }
  ok = ok && xmlTextWriterEndDocument(out) >= 0;
  writer.reset();  // flushes into the buffer
  if (!ok) return false;
  document->assign(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                   static_cast<std::size_t>(xmlBufferLength(buffer.get())));
  return true;
}
