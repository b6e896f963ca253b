#include "list_work.h"

#include "engine_device_list.h"
#include "generated_answers.h"
#include "memory_usage.h"
#include "naive_device_list.h"

#include <QCoreApplication>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <random>

namespace bench {

namespace {

// The intake takes answers in batches and processes events once per batch.
constexpr std::size_t kAnswersPerBatch = 64;

void enter(EngineDeviceList& list, const GeneratedAnswer& answer) {
    list.enter(answer);
}

void enter(NaiveDeviceList& list, const GeneratedAnswer& answer) {
    const int line = list.createLine(answer.mac, answer.ip);
    list.setCell(line, 4, QStringLiteral("not defined (%1)").arg(answer.typeCode));
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

void beginBatch(EngineDeviceList& list) {
    list.beginBatch();
}

void beginBatch(NaiveDeviceList&) {}

void endBatch(EngineDeviceList& list) {
    list.endBatch();
}

void endBatch(NaiveDeviceList&) {}

QAbstractItemModel& modelOf(EngineDeviceList& list) {
    return list.table();
}

QAbstractItemModel& modelOf(NaiveDeviceList& list) {
    return list;
}

template <class List>
ListWorkResult replay(List& list, const std::vector<GeneratedAnswer>& answers) {
    QTreeView view;
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    // The view takes every signal of the list but is not shown, so that what is measured
    // is the list's own work and not the drawing (which the device list paces).
    view.setModel(&modelOf(list));

    // The end of a batch is counted to its last answer.
    std::vector<std::chrono::nanoseconds> times;
    times.reserve(answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (i % kAnswersPerBatch == 0)
            beginBatch(list);
        enter(list, answers[i]);
        if (i % kAnswersPerBatch == kAnswersPerBatch - 1 || i + 1 == answers.size()) {
            endBatch(list);
            QCoreApplication::processEvents();
        }
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
    std::vector<GeneratedAnswer> answers = generatedAnswers(settings.devices);
    if (settings.order == ListWorkSettings::Order::Shuffled)
        std::shuffle(answers.begin(), answers.end(), std::mt19937(20240611));
    if (settings.list == ListWorkSettings::List::Naive) {
        NaiveDeviceList list;
        return replay(list, answers);
    }
    EngineDeviceList list;
    return replay(list, answers);
}

} // namespace bench
