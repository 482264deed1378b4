// Standard output as a byte stream: no line-end translation, so a plot written
// to it has the same bytes as one written to a file.
#pragma once

void UseBinaryStandardOutput();
