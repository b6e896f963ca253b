#include "generated_answers.h"

namespace bench {

std::vector<GeneratedAnswer> generatedAnswers(int devices) {
    std::vector<GeneratedAnswer> answers;
    quint32 address = (127u << 24) | (1u << 8) | 1u;
    for (int i = 0; i < devices; ++i, ++address) {
        while ((address & 0xFF) == 0 || (address & 0xFF) == 255)
            ++address;
        const int number = i + 1;
        GeneratedAnswer answer;
        answer.mac = QStringLiteral("02-54-56-%1-%2-%3")
                         .arg((number >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                         .arg((number >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                         .arg(number & 0xFF, 2, 16, QLatin1Char('0'))
                         .toUpper();
        answer.ip = QStringLiteral("%1.%2.%3.%4")
                        .arg(address >> 24)
                        .arg((address >> 16) & 0xFF)
                        .arg((address >> 8) & 0xFF)
                        .arg(address & 0xFF);
        answer.full = i % 2 == 0;
        answer.typeCode = 0x0101 + i % 16;
        answer.revision = QStringLiteral("V1.0%1").arg(i % 10);
        answers.push_back(answer);
    }
    return answers;
}

} // namespace bench
