#pragma once

#include <QString>

#include <optional>

// The entry that starts the program when the user logs on, with the
// autostart switch. Its presence is the option; nothing else records it.
class AutostartEntry
{
public:
    virtual ~AutostartEntry() = default;

    // Whether the entry exists; nullopt when the place it lives in cannot be
    // read (then the option keeps its previous state and is neither written
    // nor removed).
    virtual std::optional<bool> Exists() const = 0;
    // Creates or replaces the entry so that it runs `program` (an absolute
    // path) with the autostart switch. False when it could not be written.
    virtual bool Write(const QString& program) = 0;
    // Removes the entry; true when it is gone (or was never there).
    virtual bool Remove() = 0;
};
