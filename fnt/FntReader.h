// Reads an FNT file back and checks it against the format.
#pragma once
