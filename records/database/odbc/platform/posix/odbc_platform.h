// unixODBC's headers stand on their own.
#pragma once
