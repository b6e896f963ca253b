#pragma once

#include "platform/registry_tree.h"

#include <QByteArray>
#include <QString>

namespace platform {

// The store's file: UTF-8 text in the manner of an exported registry file.
//
//   [SOFTWARE\Kestrelwald\TorvaneScan]
//   "SelectedAdapterIp"="192.168.1.10"
//   "DefaultMonitor"=dword:00000001
//   "WindowState"=hex:02
//
// docs/registry-store.md describes the escapes.
QByteArray writeRegistryText(const RegistryKeyNode& root);

struct RegistryTextParse {
    RegistryKeyNode root;
    QString error; // empty when the whole text was understood; else "line N: what"
};

RegistryTextParse readRegistryText(const QByteArray& text);

} // namespace platform
