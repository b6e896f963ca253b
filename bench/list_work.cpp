#include "list_work.h"

#include "memory_usage.h"
#include "naive_device_list.h"
#include "ui/model/device_table.h"

#include <QCoreApplication>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <random>

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

template <class List> void enter(List& list, const Answer& answer) {
    const int row = list.createLine(answer.mac, answer.ip);
    QCoreApplication::processEvents();
    list.setCell(row, 4, answer.typeName);
    list.setCell(row, 5, answer.revision);
    QCoreApplication::processEvents();
    if (answer.full) {
        list.setCell(row, 1, QStringLiteral("255.0.0.0"));
        list.setCell(row, 2, QStringLiteral("0.0.0.0"));
        list.setCell(row, 7, QStringLiteral("restartSupported"));
        list.setCell(row, 3, QStringLiteral("DHCP inactive"));
    } else {
        list.setCell(row, 1, QStringLiteral("searching..."));
        list.setCell(row, 2, QStringLiteral("searching..."));
        list.setCell(row, 3, QStringLiteral("n/a"));
        QCoreApplication::processEvents();
    }
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

    std::vector<std::chrono::nanoseconds> times;
    times.reserve(answers.size());
    for (const Answer& answer : answers) {
        const auto start = std::chrono::steady_clock::now();
        enter(list, answer);
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
