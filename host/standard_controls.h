#pragma once
// The control classes every form knows by name.
namespace kavrin::host {

class Form;

// Registers "KavrinLineChart".
void RegisterStandardControls(Form& form);

}  // namespace kavrin::host
