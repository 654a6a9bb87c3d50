;;; emacs_refined.el --- Flymake shows a server-block finding on its words -*- lexical-binding: t; -*-

;; Drives a real Emacs in batch mode: Eglot declares publishDiagnostics, so
;; the unknown option of blocks.tov is shown on the option's name, not on
;; `server'.  CTest runs it as
;;   emacs --batch -l emacs_refined.el
;; with TOVEL_EDITORS, TOVEL_BLOCKS_SAMPLE and tovel-lsp's folder first on PATH.

;;; Code:

(require 'package)
(package-initialize)                    ; Debian's elpa-eglot
(setq exec-path (append (parse-colon-path (getenv "PATH")) exec-path))
(load (expand-file-name "emacs/tovel-mode.el" (getenv "TOVEL_EDITORS")) nil t)
(require 'eglot)
(require 'flymake)

(defvar tovel-test-failures 0)

(defun tovel-test-expect (what actual expected)
  (unless (equal actual expected)
    (setq tovel-test-failures (1+ tovel-test-failures))
    (message "FAIL: %s: expected %S, got %S" what expected actual)))

(find-file (getenv "TOVEL_BLOCKS_SAMPLE"))
(condition-case err
    (apply #'eglot (eglot--guess-contact))
  (error (tovel-test-expect "eglot connects" err nil)))
(let ((deadline (+ (float-time) 20)))
  (while (and (< (length (flymake-diagnostics)) 2) (< (float-time) deadline))
    (accept-process-output nil 0.05)
    (flymake-start)))
(let* ((diagnostics (sort (flymake-diagnostics)
                          (lambda (a b) (< (flymake-diagnostic-beg a) (flymake-diagnostic-beg b)))))
       (option (car diagnostics)))
  (tovel-test-expect "diagnostic count" (length diagnostics) 2)
  (when option
    (tovel-test-expect "unknown option underlined"
                       (buffer-substring-no-properties (flymake-diagnostic-beg option)
                                                       (flymake-diagnostic-end option))
                       "colour")))

(set-buffer-modified-p nil)
(ignore-errors (eglot-shutdown (eglot-current-server)))
(message "%d failed" tovel-test-failures)
(kill-emacs (if (= tovel-test-failures 0) 0 1))
;;; emacs_refined.el ends here
