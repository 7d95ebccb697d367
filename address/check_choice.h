// Where the unattended watch learns the public address when the IP field is empty: the
// built-in list of public check services, one address of the user's own, or none at all.
#ifndef KIVO_CHECK_CHOICE_H
#define KIVO_CHECK_CHOICE_H

#include <string>

enum class CheckMode { BuiltIn, Custom, None };

struct CheckChoice {
    CheckMode mode = CheckMode::BuiltIn;
    std::string customUrl;  // for Custom: an http:// or https:// address
    bool operator==(const CheckChoice& o) const {
        return mode == o.mode && customUrl == o.customUrl;
    }
};

#endif
