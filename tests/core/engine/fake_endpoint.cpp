#include "fake_endpoint.h"

#include <cerrno>

namespace enginetest {

namespace {

bool failWith(int failure, int* error) {
    if (failure == 0)
        return true;
    if (error)
        *error = failure;
    return false;
}

} // namespace

bool FakeEndpoint::create(int* error) {
    if (!failWith(createError, error))
        return false;
    ++creates;
    currentHandle = nextHandle++;
    return true;
}

bool FakeEndpoint::bind(const QString& adapterIp, int* error) {
    if (currentHandle == 0)
        return failWith(ENOTSOCK, error);
    boundTo = adapterIp;
    return failWith(bindError, error);
}

bool FakeEndpoint::startEvents(int* error) {
    if (currentHandle == 0)
        return failWith(ENOTSOCK, error);
    return failWith(startError, error);
}

std::vector<engine::ReceivedDatagram> FakeEndpoint::takeDatagrams(std::size_t maxCount) {
    std::vector<engine::ReceivedDatagram> batch;
    while (!inbox.empty() && batch.size() < maxCount) {
        batch.push_back(inbox.front());
        inbox.pop_front();
    }
    batchSizes.push_back(batch.size());
    return batch;
}

bool FakeEndpoint::sendTo(const QByteArray& frame, const QString& destinationIp, int* error) {
    if (currentHandle == 0)
        return failWith(ENOTSOCK, error);
    if (!failWith(sendError, error))
        return false;
    sent.push_back({frame, destinationIp});
    return true;
}

bool FakeEndpoint::close(int* error) {
    if (currentHandle == 0)
        return failWith(ENOTSOCK, error);
    ++closes;
    currentHandle = 0;
    inbox.clear();
    return failWith(closeError, error);
}

void FakeEndpoint::deliver(const std::vector<engine::ReceivedDatagram>& datagrams) {
    if (currentHandle == 0)
        return; // nobody listens
    inbox.insert(inbox.end(), datagrams.begin(), datagrams.end());
    if (listener)
        listener->datagramsArrived();
}

} // namespace enginetest
