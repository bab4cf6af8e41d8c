// Runs a test under a locale that writes numbers with a decimal comma, as a
// German user's system does, and puts the process's locale back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

class DecimalCommaLocale
{
public:
    static constexpr const char *kName = "de_DE.UTF-8";

    DecimalCommaLocale() : saved_(std::setlocale(LC_ALL, nullptr))
    {
        active_ = std::setlocale(LC_ALL, kName) != nullptr;
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale &) = delete;
    DecimalCommaLocale &operator=(const DecimalCommaLocale &) = delete;

    // Whether the locale is in force and really writes "1,5" for 1.5.
    bool Active() const { return active_ && std::localeconv()->decimal_point == std::string(","); }

private:
    std::string saved_;
    bool active_ = false;
};

// Stops the test with a message saying what to install when the system
// lacks the locale, instead of passing without having tried anything.
#define ASSERT_DECIMAL_COMMA_LOCALE(scope)                                                                        \
    ASSERT_TRUE((scope).Active()) << "the locale " << DecimalCommaLocale::kName                                   \
                                  << " is not installed (Debian: apt-get install locales-all)"
