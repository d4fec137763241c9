#pragma once

// The wizard's own messages (those no configuration supplies), in the six
// languages of the pictures, chosen by the language in use.

#include <QString>

enum class Message {
    ConfigurationUnreadable, // followed by a line with the path and the reason
    FormNotPrinted,          // grave accents break the lines
    ReminderNotSaved,        // followed by the folder and the reason
};

// The message in the language named by `language` (a section id such as
// "french" or a list entry such as "French": case and blanks at either end
// do not matter); English for any other language.
QString messageText(Message message, const QString &language);
