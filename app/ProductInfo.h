// Everything the program says about itself, in one place: the support and
// contact addresses, the two web pages, and the About texts (a short
// description and the terms of use, in Greek and in English).
#pragma once

namespace product {

// The address of the Report button (also its tooltip).
constexpr const char* kSupportAddress = "support@zorvalis.example.org";
// The subject that the Report link asks for.
constexpr const char* kReportQuery = "?subject=from ZORVALIS";
// The address of the About dialog's contact button.
constexpr const char* kContactAddress = "contact@zorvalis.example.org";
// The product's web page and the speech synthesizer's.
constexpr const char* kProductPage = "https://www.zorvalis.example.org/";
constexpr const char* kSynthesizerPage = "https://www.zorvalis.example.org/synthesizer/";

// The About dialog's texts.
const char* Description(bool greek);
const char* TermsOfUse(bool greek);

}  // namespace product
