// The update at the provider the user chose, whichever way it speaks.
#ifndef KIVO_PROVIDER_UPDATE_WIN_H
#define KIVO_PROVIDER_UPDATE_WIN_H

#include "update/providers_rules.h"

// One dyndns request to the provider's update address, or the conversation with its own
// API (the address must be in the fields then). Blocks, about 25 s at most.
UpdateAnswer UpdateAtChosenProvider(const ProviderChoice& provider, const UpdateFields& fields);

#endif
