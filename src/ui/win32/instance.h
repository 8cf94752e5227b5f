#pragma once
// The single-instance rule (instance.cpp): 1 when another instance was found
// and told to show itself, or holds the claim; then this start ends.
int FindRunningInstance();
