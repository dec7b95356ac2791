// The questions the postal data raises about a row's code before paper is used. Questions, never
// refusals: the data can be older than the post office.
#pragma once

#include "postal/directory.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace rinova::postal {

struct Question {
    enum class Kind {
        NotHeld,    // 7 digits that the data does not hold
        OtherPlace, // the code's prefecture and city (or town) do not begin the address
        SixDigits,  // 6 digits: the 7-digit codes that fit the address
    };
    Kind kind = Kind::NotHeld;
    QString code;                   // the digits as written
    QString dataSays;               // the addresses the data gives the code, "、" between
    QString rowSays;                // the row's address as compared
    std::vector<CodePlace> fitting; // codes whose address fits the row's
    QString text() const;           // the line for the list of rows to check
    bool operator==(const Question&) const = default;
};

// The question about `code` (the postal-code cell as written) and `address` (address 1 followed
// by address 2), or none: when the code fits, has neither 6 nor 7 digits (the digit rule speaks
// of those), or the data is empty. For 6 digits, a question only when some 7-digit code fits.
std::optional<Question> askAboutCode(const Directory& directory, QStringView code,
                                     QStringView address);

} // namespace rinova::postal
