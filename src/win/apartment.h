// The user-interface thread's COM apartment, joined on first need rather than
// at start-up: joining costs Wine a hidden window and its RPC set-up, several
// per cent of the start. Left when the program ends.
#pragma once

// Joins a single-threaded apartment once; returns whether the thread is in one.
bool JoinApartmentOnce();
