#pragma once

#include <QString>

// How the module's HTTPS requests trust a server: section [Network] of the settings file, read once
// per process like every other section.
//   VerifyCertificates  1 (the default): every request checks the server's certificate against the
//                       system's authorities and CaFile; 0: nothing is checked, for a service with
//                       a private certificate and no file of it at hand
//   CaFile              a PEM file of further authorities to trust (empty: none)
struct NetworkSettings
{
    bool verifyCertificates = true;
    QString caFile;
};

const NetworkSettings& LoadNetworkSettings();
