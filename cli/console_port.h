#pragma once
// Stub replaced below.
