#include "feedparser/SimpleRSS.h"

#include "feedparser/SimpleParserAtom.h"
#include "feedparser/SimpleParserRDF.h"
#include "feedparser/SimpleParserRSS.h"

namespace quarlen {

namespace {

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

TSimpleRSS::TSimpleRSS()
    : channel_(std::make_unique<TRSSChannel>()),
      items_(std::make_unique<TRSSItems>()),
      xmlFileOptions_(std::make_unique<TXMLFileOptions>()),
      xmlFile_(std::make_unique<TXMLDocument>(xmlFileOptions_->Options(), xmlFileOptions_->ParseOptions())),
      version_("2.0") {
  xmlFile_->SetActive(true);
}

TSimpleRSS::~TSimpleRSS() = default;

void TSimpleRSS::SetXMLFileOptions(std::unique_ptr<TXMLFileOptions> value) {
  ReplacePart(xmlFileOptions_, std::move(value));
  xmlFile_->SetOptions(xmlFileOptions_->Options());
  xmlFile_->SetParseOptions(xmlFileOptions_->ParseOptions());
}

void TSimpleRSS::LoadFromString(std::string text) { xmlFile_->SetXML(std::move(text)); }

void TSimpleRSS::Parse() {
  // Renewed first, so nothing of an earlier feed survives even a failure.
  channel_ = std::make_unique<TRSSChannel>();
  items_ = std::make_unique<TRSSItems>();

  const TXMLNode root = xmlFile_->DocumentElement();
  if (!root) throw TSimpleRSSException("Document is empty");
  const std::string rootName = root.NodeName();
  const std::string kind = AsciiLower(rootName);
  if (kind == RootRDF) {
    xmlType_ = xtRDF;
  } else if (kind == RootRSS) {
    xmlType_ = xtRSS;
  } else if (kind == RootAtom) {
    xmlType_ = xtAtom;
  } else {
    throw TSimpleRSSException(std::string(UnknownFormat) + std::string(UnknownFormatSuffix) + rootName);
  }

  // Without a version attribute the previous document's version stays.
  if (root.HasAttribute(feedname::Version)) version_ = root.GetAttribute(feedname::Version).value_or(std::string());

  switch (xmlType_) {
    case xtRSS: {
      TSimpleParserRSS reader(*this);
      reader.ParseDocument();
      break;
    }
    case xtRDF: {
      TSimpleParserRDF reader(*this);
      reader.ParseDocument();
      break;
    }
    case xtAtom: {
      TSimpleParserAtom reader(*this);
      reader.ParseDocument();
      break;
    }
  }
}

}  // namespace quarlen
