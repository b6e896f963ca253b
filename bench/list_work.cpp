#include "list_work.h"

#include "memory_usage.h"
#include "naive_device_list.h"
#include "ui/model/device_table.h"

#include <QCoreApplication>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <random>
#include <type_traits>

namespace bench {

namespace {

struct Answer {
    QString mac;
    QString ip;
    bool full = true;
    QString typeName;
    QString revision;
};

// The devices of torvane-sim --generate: MAC 02-54-56 and the device number, addresses
// from 127.0.1.1 leaving out .0 and .255, layouts full, short, full, short.
std::vector<Answer> generatedAnswers(int devices) {
    std::vector<Answer> answers;
    quint32 address = (127u << 24) | (1u << 8) | 1u;
    for (int i = 0; i < devices; ++i, ++address) {
        while ((address & 0xFF) == 0 || (address & 0xFF) == 255)
            ++address;
        const int number = i + 1;
        Answer answer;
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
        answer.typeName = QStringLiteral("not defined (%1)").arg(0x0101 + i % 16);
        answer.revision = QStringLiteral("V1.0%1").arg(i % 10);
        answers.push_back(answer);
    }
    return answers;
}

// The intake takes answers in batches and processes events once per batch.
constexpr std::size_t kAnswersPerBatch = 64;

template <class List> void enter(List& list, const Answer& answer) {
    const auto line = list.createLine(answer.mac, answer.ip);
    list.setCell(line, 4, answer.typeName);
    list.setCell(line, 5, answer.revision);
    if (answer.full) {
        list.setCell(line, 1, QStringLiteral("255.0.0.0"));
        list.setCell(line, 2, QStringLiteral("0.0.0.0"));
        list.setCell(line, 7, QStringLiteral("restartSupported"));
        list.setCell(line, 3, QStringLiteral("DHCP inactive"));
    } else {
        list.setCell(line, 1, QStringLiteral("searching..."));
        list.setCell(line, 2, QStringLiteral("searching..."));
        list.setCell(line, 3, QStringLiteral("n/a"));
    }
}

template <class List> void beginBatch(List& list) {
    if constexpr (std::is_same_v<List, ui::DeviceTable>)
        list.beginBatch();
}

template <class List> void endBatch(List& list) {
    if constexpr (std::is_same_v<List, ui::DeviceTable>)
        list.endBatch();
    QCoreApplication::processEvents();
}

template <class List> ListWorkResult replay(List& list, const std::vector<Answer>& answers) {
    QTreeView view;
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    // The view takes every signal of the list but is not shown, so that what is measured
    // is the list's own work and not the drawing (which the device list paces).
    view.setModel(&list);

    // The end of a batch is counted to its last answer.
    std::vector<std::chrono::nanoseconds> times;
    times.reserve(answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (i % kAnswersPerBatch == 0)
            beginBatch(list);
        enter(list, answers[i]);
        if (i % kAnswersPerBatch == kAnswersPerBatch - 1 || i + 1 == answers.size())
            endBatch(list);
        times.push_back(std::chrono::steady_clock::now() - start);
    }
    ListWorkResult result;
    result.perAnswer = statsOf(std::move(times));
    result.lines = list.count();
    result.peakRssKiB = peakResidentKiB();
    return result;
}

} // namespace

ListWorkResult runListWork(const ListWorkSettings& settings) {
    std::vector<Answer> answers = generatedAnswers(settings.devices);
    if (settings.order == ListWorkSettings::Order::Shuffled)
        std::shuffle(answers.begin(), answers.end(), std::mt19937(20240611));
    if (settings.list == ListWorkSettings::List::Naive) {
        NaiveDeviceList list;
        return replay(list, answers);
    }
    ui::DeviceTable list;
    return replay(list, answers);
}

} // namespace bench
