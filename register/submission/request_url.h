#pragma once

// The registration request: the answers of the question pages, the personal
// fields, the birth date, the product and the language, encoded and appended
// to the registration URL.

#include <QString>

namespace forms {
class Form;
}
struct WizardState;

// The registration URL followed by the encoded query
//   ?ans=<answers>&<Key>=<value>...&dob=<y/m/d>&pname=<game>&lang=<language>
// where <answers> are the question pages' answers as "id`value" joined by
// "|" in walk order. Each value passes the value encoder, the whole query the
// URL encoder; the birth date is sent as typed and empty when it is no real
// date. May replace gameName with the product named on a question page.
QString buildRequestUrl(const forms::Form &form, WizardState &state);
