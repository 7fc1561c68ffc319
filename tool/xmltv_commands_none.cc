// Builds without libxml2 or the date library have no XMLTV commands.
#include "tool/commands.h"

std::span<const Command> XmltvCommands() { return {}; }
