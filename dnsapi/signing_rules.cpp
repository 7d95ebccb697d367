#include "dnsapi/signing_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/text_lines.h"
#include "update/update_rules.h"

namespace {

constexpr std::size_t HashBlockBytes = 64;

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// Days since 1970-01-01 of a date, and back (the proleptic Gregorian calendar).
std::int64_t DaysOf(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = static_cast<int>(year - era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::string HexOf(const std::string& bytes) {
    static const char Digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += Digits[static_cast<unsigned char>(c) >> 4];
        hex += Digits[static_cast<unsigned char>(c) & 0x0F];
    }
    return hex;
}

std::string Sha256Hex(Sha256Function sha256, const std::string& bytes) {
    return HexOf(sha256(bytes));
}

std::string HmacSha256(Sha256Function sha256, const std::string& key, const std::string& message) {
    std::string block = key.size() > HashBlockBytes ? sha256(key) : key;
    block.resize(HashBlockBytes, '\0');
    std::string inner = block, outer = block;
    for (std::size_t i = 0; i < HashBlockBytes; ++i) {
        inner[i] = static_cast<char>(inner[i] ^ 0x36);
        outer[i] = static_cast<char>(outer[i] ^ 0x5C);
    }
    return sha256(outer + sha256(inner + message));
}

std::string QueryOf(const NameValues& pairs) {
    std::string query;
    for (const auto& [name, value] : pairs) {
        query += (query.empty() ? "" : "&") + PercentEncode(name) + "=" + PercentEncode(value);
    }
    return query;
}

CanonicalRequest CanonicalRequestOf(Sha256Function sha256, const std::string& method,
                                    const std::string& uri, const NameValues& query,
                                    NameValues headers, const std::string& body) {
    std::vector<std::string> pairs;
    for (const auto& [name, value] : query) {
        pairs.push_back(PercentEncode(name) + "=" + PercentEncode(value));
    }
    std::sort(pairs.begin(), pairs.end());
    std::string canonicalQuery;
    for (const std::string& pair : pairs)
        canonicalQuery += (canonicalQuery.empty() ? "" : "&") + pair;
    for (auto& [name, value] : headers) {
        name = AsciiLowerCase(name);
        value = Trimmed(value);
    }
    std::sort(headers.begin(), headers.end());
    CanonicalRequest canonical;
    std::string lines;
    for (const auto& [name, value] : headers) {
        lines += name + ":" + value + "\n";
        canonical.signedHeaders += (canonical.signedHeaders.empty() ? "" : ";") + name;
    }
    canonical.text = method + "\n" + uri + "\n" + canonicalQuery + "\n" + lines + "\n" +
                     canonical.signedHeaders + "\n" + Sha256Hex(sha256, body);
    return canonical;
}

std::string HeaderLines(const NameValues& headers) {
    std::string lines;
    for (const auto& [name, value] : headers) lines += name + ": " + value + "\r\n";
    return lines;
}

UtcTime UtcTimeOf(std::int64_t seconds) {
    std::int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) rest += 86400, --days;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = static_cast<int>(days - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int monthIndex = (5 * dayOfYear + 2) / 153;
    const int month = monthIndex + (monthIndex < 10 ? 3 : -9);
    const int year = static_cast<int>(yearOfEra + era * 400) + (month <= 2);
    return {year,
            month,
            dayOfYear - (153 * monthIndex + 2) / 5 + 1,
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60)};
}

std::string IsoTimeOf(std::int64_t seconds) {
    const UtcTime t = UtcTimeOf(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string CompactTimeOf(std::int64_t seconds) {
    const UtcTime t = UtcTimeOf(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

std::string DateOf(std::int64_t seconds) { return IsoTimeOf(seconds).substr(0, 10); }

std::optional<std::int64_t> SecondsOfHttpDate(const std::string& date) {
    // "Mon, 07 Dec 2026 08:00:00 GMT": every part at its place.
    static const char Months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const auto number = [&date](std::size_t at, std::size_t digits) -> int {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(date[i]))) return -1;
            value = value * 10 + (date[i] - '0');
        }
        return value;
    };
    if (date.size() != 29 || date.compare(3, 2, ", ") != 0 || date[7] != ' ' || date[11] != ' ' ||
        date[16] != ' ' || date[19] != ':' || date[22] != ':' || date.compare(25, 4, " GMT") != 0) {
        return std::nullopt;
    }
    const char* month = std::strstr(Months, date.substr(8, 3).c_str());
    const int day = number(5, 2), year = number(12, 4), hour = number(17, 2),
              minute = number(20, 2), second = number(23, 2);
    if (!month || (month - Months) % 3 != 0 || day < 1 || day > 31 || year < 0 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60) {
        return std::nullopt;
    }
    return DaysOf(year, static_cast<int>(month - Months) / 3 + 1, day) * 86400 + hour * 3600 +
           minute * 60 + second;
}
