#include "feedparser/SimpleRSSConst.h"

namespace quarlen {

// Each code is the language's enum name without "lang", lower case, "_" as "-".
const std::array<std::string_view, LanguageCount - 1> LanguageCodes = {
    "af",    "sq",    "eu",    "be",    "bg",    "ca",    "zh-cn", "zh-tw", "hr",    "cs",    "da",    "nl",
    "nl-be", "nl-nl", "en",    "en-au", "en-bz", "en-ca", "en-ie", "en-jm", "en-nz", "en-ph", "en-za", "en-tt",
    "en-gb", "en-us", "en-zw", "et",    "fo",    "fi",    "fr",    "fr-be", "fr-ca", "fr-fr", "fr-lu", "fr-mc",
    "fr-ch", "gl",    "gd",    "de",    "de-at", "de-de", "de-li", "de-lu", "de-ch", "el",    "haw",   "hu",
    "is",    "in",    "ga",    "it",    "it-it", "it-ch", "ja",    "ko",    "mk",    "no",    "pl",    "pt",
    "pt-br", "pt-pt", "ro",    "ro-mo", "ro-rp", "ru",    "ru-mo", "ru-ru", "sr",    "sk",    "sl",    "es",
    "es-ar", "es-bo", "es-cl", "es-co", "es-cr", "es-do", "es-ec", "es-sv", "es-gt", "es-hn", "es-mx", "es-ni",
    "es-pa", "es-py", "es-pe", "es-pr", "es-es", "es-uy", "es-ve", "sv",    "sv-fi", "sv-se", "tr",    "uk",
};

namespace {

const std::array<std::string_view, LanguageCount> LanguageNames = {
    "langAF",    "langSQ",    "langEU",    "langBE",    "langBG",    "langCA",    "langZH_CN", "langZH_TW", "langHR",
    "langCS",    "langDA",    "langNL",    "langNL_BE", "langNL_NL", "langEN",    "langEN_AU", "langEN_BZ", "langEN_CA",
    "langEN_IE", "langEN_JM", "langEN_NZ", "langEN_PH", "langEN_ZA", "langEN_TT", "langEN_GB", "langEN_US", "langEN_ZW",
    "langET",    "langFO",    "langFI",    "langFR",    "langFR_BE", "langFR_CA", "langFR_FR", "langFR_LU", "langFR_MC",
    "langFR_CH", "langGL",    "langGD",    "langDE",    "langDE_AT", "langDE_DE", "langDE_LI", "langDE_LU", "langDE_CH",
    "langEL",    "langHAW",   "langHU",    "langIS",    "langIN",    "langGA",    "langIT",    "langIT_IT", "langIT_CH",
    "langJA",    "langKO",    "langMK",    "langNO",    "langPL",    "langPT",    "langPT_BR", "langPT_PT", "langRO",
    "langRO_MO", "langRO_RP", "langRU",    "langRU_MO", "langRU_RU", "langSR",    "langSK",    "langSL",    "langES",
    "langES_AR", "langES_BO", "langES_CL", "langES_CO", "langES_CR", "langES_DO", "langES_EC", "langES_SV", "langES_GT",
    "langES_HN", "langES_MX", "langES_NI", "langES_PA", "langES_PY", "langES_PE", "langES_PR", "langES_ES", "langES_UY",
    "langES_VE", "langSV",    "langSV_FI", "langSV_SE", "langTR",    "langUK",    "langX",
};

}  // namespace

std::string_view LanguageName(TLanguages language) {
  const int index = static_cast<int>(language);
  if (index < 0 || index >= LanguageCount) return "langX";
  return LanguageNames[static_cast<std::size_t>(index)];
}

}  // namespace quarlen
