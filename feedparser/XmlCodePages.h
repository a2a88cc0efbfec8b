#pragma once
// The single-byte code pages a feed may declare, made known to libxml2 where
// it has no converter of its own for them (a build without iconv).

namespace quarlen {

// Registers, once per process, a decoder through platform/CodePage.h for each
// such code page libxml2 can't find; the ones it has stay its own. Thread-safe.
void RegisterXmlCodePages();

}  // namespace quarlen
