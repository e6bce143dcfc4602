// A calibration certificate: one record of a transmitter's log as one self-contained HTML page,
// laid out for one A4 sheet, in Czech or English.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

struct CertificateSource {
    nlohmann::json Record;
    // The SHA-256 of the record's line: the hash the log's next line carries.
    std::string LineHash;
    std::string LogPath;
    std::size_t Line = 0;
    // Whether the log's chain was intact when the page was made, and its state in words.
    std::string ChainState;
};

// lang is "cs" or "en".
std::string CertificatePage(const CertificateSource& source, const std::string& lang);
