// A program that links the configuration model and nothing else: it reads a
// config.xml and prints each section's pages and questions. The model test
// checks that its libraries hold no window library.
#include "register/model/configuration.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    xml::Document doc;
    if (!doc.load(QString::fromLocal8Bit(argv[1])))
        return 2;
    model::ConfigProblems log;
    const model::Configuration config = model::readConfiguration(doc, log);
    for (const model::LanguageSection &s : config.sections)
        for (const model::QuestionPage &p : s.pages)
            std::printf("%s: page %d, %d questions\n", qPrintable(s.name), p.number,
                        int(p.questions.size()));
    return log.all().isEmpty() ? 0 : 1;
}
