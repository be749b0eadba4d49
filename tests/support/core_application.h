// The application object that engine tests need for Qt's database drivers and processes.
#pragma once

#include <QCoreApplication>

namespace corv::test {

inline void ensureCoreApplication()
{
    static int argc = 1;
    static char name[] = "corvantine_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

}  // namespace corv::test
