# Windows: the plug-in cross-built with mingw-w64 as a VST 2.4 DLL and a VST 3 bundle and tested
# under Wine on a virtual X display. `make windows` builds $(WINDOWS_DIR)/Tolvanger.dll and
# $(WINDOWS_DIR)/Tolvanger.vst3, `make windows-zip` packs them with a note on where they go,
# `make windows-test` (part of `make test`) runs the Windows tests.

WINDOWS_DIR ?= build-windows
WINDOWS_BUILD_TYPE ?= Release
WINDOWS_TOOLCHAIN := $(CURDIR)/cmake/mingw-w64-x86_64.cmake
WINDOWS_ZIP := $(WINDOWS_DIR)/Tolvanger-windows-x64.zip
WINDOWS_TOOLS := x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine wineboot wineserver Xvfb
# The Wine prefix lives in the build folder and stays quiet; no Mono or Gecko is asked for.
WINE_PREFIX := $(CURDIR)/$(WINDOWS_DIR)/wineprefix
WINE_ENV := WINEPREFIX=$(WINE_PREFIX) WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINE_READY := $(WINE_PREFIX)/.tolvanger-ready

.PHONY: windows windows-zip windows-test windows-test-run windows-clean

$(WINDOWS_DIR)/build.ninja: CMakeLists.txt cmake/mingw-w64-x86_64.cmake
	cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) \
	  -DCMAKE_BUILD_TYPE=$(WINDOWS_BUILD_TYPE) -DTOLVANGER_SKIN_DIR=$(CURDIR)/$(RELEASE_DIR)/tolvanger_gfx

# The skin pictures come from the Linux release build's skin program, so both libraries carry
# the same; the Linux side of the tests is that build too, which make test has built already.
windows: deps-test release-configure $(WINDOWS_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target tolvanger_skin_pictures
	cmake --build $(WINDOWS_DIR) -j$(JOBS) --target Tolvanger tolvanger_vst3 TolvangerClap

windows-zip: windows
	rm -rf $(WINDOWS_DIR)/zip $(WINDOWS_ZIP)
	mkdir -p $(WINDOWS_DIR)/zip
	cp $(WINDOWS_DIR)/Tolvanger.dll $(WINDOWS_DIR)/Tolvanger.clap $(WINDOWS_DIR)/zip/
	mkdir -p $(WINDOWS_DIR)/zip/Tolvanger.vst3/Contents/x86_64-win
	cp $(WINDOWS_DIR)/Tolvanger.vst3/Contents/x86_64-win/Tolvanger.vst3 $(WINDOWS_DIR)/zip/Tolvanger.vst3/Contents/x86_64-win/
	sed 's/$$/\r/' mk/windows_zip_readme.txt > $(WINDOWS_DIR)/zip/README.txt
	cd $(WINDOWS_DIR)/zip && cmake -E tar cf ../$(notdir $(WINDOWS_ZIP)) --format=zip Tolvanger.dll Tolvanger.vst3 Tolvanger.clap README.txt
	@echo "Written: $(WINDOWS_ZIP)"

# A fresh prefix, made once: its first start under a display, then the two font families the
# editor asks for mapped to the metric-compatible Liberation fonts (a new prefix has neither
# Arial nor Courier New), Wine's windows left unmanaged, as the virtual display has no window
# manager to wait for, a crash reported on the console instead of in a dialog that nobody
# closes, and the second test program shown Windows XP.
$(WINE_READY): mk/windows.mk
	rm -rf $(WINE_PREFIX)
	mkdir -p $(WINDOWS_DIR)
	$(WINE_ENV) $(call WITH_DISPLAY,$(WINDOWS_DIR)) sh -c '\
	  wineboot -i && \
	  wine reg add "HKCU\\Software\\Wine\\Fonts\\Replacements" /v Arial /d "Liberation Sans" /f && \
	  wine reg add "HKCU\\Software\\Wine\\Fonts\\Replacements" /v "Courier New" /d "Liberation Mono" /f && \
	  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f && \
	  wine reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f && \
	  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\tolvanger_windows_xp_tests.exe" /v Version /d winxp64 /f && \
	  wineserver -w' > $(WINDOWS_DIR)/wineprefix.log 2>&1 || { cat $(WINDOWS_DIR)/wineprefix.log; exit 1; }
	touch $@

# Runs when the cross compiler and Wine are there (make deps-test installs them).
windows-test: deps-test
	@missing=""; for tool in $(WINDOWS_TOOLS); do command -v $$tool >/dev/null 2>&1 || missing="$$missing $$tool"; done; \
	if [ -n "$$missing" ]; then echo "windows-test: not run, missing:$$missing"; \
	else $(MAKE) --no-print-directory windows-test-run; fi

# The Linux library's results on the shared material first, for the Windows tests to compare;
# then every test, and the editor's tests again on Windows XP.
windows-test-run: windows release $(WINE_READY)
	cmake --build $(WINDOWS_DIR) -j$(JOBS)
	$(RELEASE_DIR)/tests/tolvanger_cross_reference $(WINDOWS_DIR)/linux-reference
	cd $(WINDOWS_DIR) && $(WINE_ENV) $(call WITH_DISPLAY,$(WINDOWS_DIR)) sh -c 'wine tolvanger_windows_tests.exe && \
	  wine tolvanger_windows_xp_tests.exe --gtest_filter="WindowsEditor.*"; status=$$?; wineserver -w; exit $$status'

windows-clean:
	rm -rf $(WINDOWS_DIR)
