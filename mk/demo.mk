# `make demo`: builds what it runs alone (the VST 2.4 library and its skin, the renderer, the
# demo's writer), writes the demo programme (drums, bass and noise) to $(DEMO_DIR)/in.wav,
# renders it with the default settings and with a factory preset, saves a picture of the
# editor and prints the loudness reports.

DEMO_DIR ?= $(BUILD_DIR)/demo
DEMO_PRESET ?= Bright Punch

demo: demo-build
	@mkdir -p $(DEMO_DIR)
	$(BUILD_DIR)/tolvanger-demo $(DEMO_DIR)/in.wav
	@echo
	$(BUILD_DIR)/tolvanger-render $(DEMO_DIR)/in.wav $(DEMO_DIR)/out.wav
	@echo
	$(BUILD_DIR)/tolvanger-render --preset "$(DEMO_PRESET)" --snapshot $(DEMO_DIR)/editor.png \
	  $(DEMO_DIR)/in.wav $(DEMO_DIR)/out_bright_punch.wav
	@echo
	@echo "Rendered files: $(DEMO_DIR)/out.wav, $(DEMO_DIR)/out_bright_punch.wav"
	@test -f $(DEMO_DIR)/editor.png && echo "Editor picture: $(DEMO_DIR)/editor.png" || true
