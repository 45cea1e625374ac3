# Precompiled headers. Most of a compile here was spent parsing the same heavy third-party headers
# (Qt, cpprest with its Boost.Asio, GoogleTest, cpp-httplib) again in every file. Each header set
# below is compiled once, by a target of its own, and reused by every target of the same kind:
# GCC takes a precompiled header only where the optimisation level and -fPIC/-fPIE match, so
# libraries share one and the test programs (built without optimisation) another. cpprest's HTTP
# client header is left out on purpose: it brings Boost.Asio and OpenSSL, and a header set that
# large made every file slower to compile than parsing it in the few that use it.
option(QOV_PCH "Precompile the common third-party headers" ON)

set(QOV_PCH_QT <QByteArray> <QCoreApplication> <QDir> <QFile> <QFileInfo> <QList> <QObject> <QString>
  <QStringList> <QTimer> <QApplication> <QLabel> <QPainter> <QPushButton> <QWidget>)
set(QOV_PCH_STD <algorithm> <atomic> <chrono> <cstdint> <functional> <map> <memory> <mutex> <optional>
  <string> <thread> <utility> <vector>)
set(QOV_PCH_REST <cpprest/json.h> <pplx/pplxtasks.h>)

# The libraries' set: the module's layers, the host stand-in and the applications' libraries.
if(QOV_PCH)
  add_library(qov_pch_library STATIC ${CMAKE_CURRENT_LIST_DIR}/pch/Empty.cpp)
  target_link_libraries(qov_pch_library PRIVATE Qt6::Widgets cpprestsdk::cpprest)
  target_precompile_headers(qov_pch_library PRIVATE ${QOV_PCH_QT} ${QOV_PCH_REST}
    ${QOV_PCH_STD})
endif()

# Libraries take the libraries' set. cpprest's macros decide what its headers hold, so a library
# that does not use it itself still takes them.
function(qov_library_pch target)
  if(QOV_PCH)
    target_precompile_headers(${target} REUSE_FROM qov_pch_library)
    target_compile_definitions(${target} PRIVATE
      $<TARGET_PROPERTY:cpprestsdk::cpprest,INTERFACE_COMPILE_DEFINITIONS>)
  endif()
endfunction()
