#include "register/rules/line_breaker.h"

namespace {
constexpr int lineLength = 120;
}

QString breakLines(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / lineLength);
    int run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (run == lineLength) {
            out.append(u'\n');
            run = 0;
        }
        out.append(text[i]);
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            out.append(text[++i]);
        ++run;
    }
    return out;
}
