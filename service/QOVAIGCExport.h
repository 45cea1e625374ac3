#pragma once

// Marks the module's public entry points; everything else stays inside the module.
#define QOVAIGC_API __attribute__((visibility("default")))
